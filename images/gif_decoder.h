// The GIF parser: reads a whole GIF file (87a or 89a) from memory into image records holding
// colour indices, with their colour tables and graphic-control data. Animation and drawing live
// in gif_image.h; this file knows nothing about bitmaps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// Every parse error. The message reads "TGif: <text>"; Code is the index of the text in the
// error table (6 for messages built at the site).
class EGifError : public std::runtime_error {
 public:
  EGifError(int ACode, const std::string& AText);
  int Code;
};

enum TGifErrorCode {
  geNoError = 0,
  geInvalidSignature = 1,
  geNoColorTable = 2,
  geUnknownExtensionType = 3,
  geUnknownOperationCode = 4,
  geInvalidExtensionBlockSize = 5,
  geSpecialMessage = 6,
  geInvalidExtensionTerminator = 7,
  geInvalidIntegerSize = 8,
  geNoTerminator = 9,
  geExtensionOutOfOrder = 10,
  geInvalidImageDescriptorIndex = 11,
  geInvalidLZWCodeSize = 12,
  geInvalidLZWData = 13,
  geLZWCodeOverflow = 14,
  geValueOutOfRange = 15,
  geNilPointer = 16,
  geInvalidColorTableSize = 17,
  geNoImageDescription = 18,
  geInvalidBitmapImage = 19,
  geInvalidColorTableIndex = 20,
  geInvalidInterlacePass = 21,
  geInvalidBitmap = 22,
  geTooManyColors = 23,
  geUnexpectedEOF = 24,
};

// The text of an error index ("Invalid GIF Signature Code" for 1); out of range gives "".
const char* GifErrorText(int Code);

// The index and text of the last error raised by the parser, kept for diagnostics.
int GifLastErrorCode();
std::string GifLastErrorText();

// Hard limits that keep a hostile file from exhausting memory: the pixels one image (and, for a
// TGif that keeps every image decoded, all of them together) may take, and the number of images
// a file may hold. The pixel budget can be lowered (the fuzzer does, to keep runs short).
constexpr int64_t kGifMaxPixels = int64_t(1) << 26;
constexpr int kGifMaxImages = 20000;
int64_t GifMaxPixels();
void SetGifMaxPixels(int64_t Pixels);

// A vector whose growth leaves new elements uninitialised: decoders write every byte anyway,
// and zero-filling large buffers first costs a second pass over memory.
template <class T>
struct TDefaultInitAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = TDefaultInitAllocator<U>;
  };
  using std::allocator<T>::allocator;
  template <class U>
  void construct(U* P) noexcept {
    ::new (static_cast<void*>(P)) U;
  }
  template <class U, class... TArgs>
  void construct(U* P, TArgs&&... Args) {
    ::new (static_cast<void*>(P)) U(std::forward<TArgs>(Args)...);
  }
};
using TGifPixels = std::vector<uint8_t, TDefaultInitAllocator<uint8_t>>;

struct TGifColorTable {
  int Count = 0;              // 2..256
  uint32_t Colors[256] = {};  // 0x00BBGGRR; entries past Count stay black
};

struct TGifGraphicControl {
  bool Present = false;
  int Disposal = 0;       // 0..7 as stored; drawing uses 0..3
  bool UserInput = false;
  bool Transparent = false;
  int Delay = 0;          // hundredths of a second
  int TransparentIndex = 0;
};

struct TGifImageRecord {
  int Index = 0;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool LocalTable = false, Interlaced = false, Sorted = false;
  int TableSize = 0;      // entries of its own table, 0 when it uses the global one
  int ColorTable = -1;    // index into TGif::ColorTables
  int CodeSize = 0;       // LZW minimum code size
  TGifGraphicControl Control;
  std::vector<std::string> Comments;
  // Width x Height colour indices in display row order, zero where the data ran short.
  TGifPixels Pixels;
  // How many pixels the LZW data actually delivered (in file order; for an interlaced image
  // the rows of the early passes come first). Less than Width x Height for short data.
  int64_t PixelsDecoded = 0;
};

class TGif;
// An image met while parsing, with its LZW data joined from the sub-blocks. Image.Pixels is
// empty, and Image's colour table is valid only during the call.
using TGifImageEvent =
    std::function<void(TGif& Sender, TGifImageRecord& Image, const uint8_t* Lzw, size_t LzwSize)>;

class TGif {
 public:
  // Parses the whole file and decodes every image into Images; throws EGifError on anything it
  // cannot read.
  void LoadFromBuffer(const uint8_t* Data, size_t Size);
  // Parses the whole file but hands each image to OnImage undecoded, keeping none: Images stays
  // empty and ColorTables holds the global table and the last local one.
  void LoadFromBuffer(const uint8_t* Data, size_t Size, const TGifImageEvent& OnImage);

  char Signature[7] = {};
  int ScreenWidth = 0, ScreenHeight = 0;
  bool GlobalTableFlag = false;
  int ColorResolution = 0;  // 1..8
  bool SortedFlag = false;
  int GlobalTableSize = 0;  // 2..256
  int BackgroundIndex = 0;
  int Aspect = 0;
  int GlobalTable = -1;     // index into ColorTables or -1
  int LoopCount = -1;       // from a NETSCAPE2.0 or ANIMEXTS1.0 block; -1 when absent
  bool Truncated = false;   // the file broke off after at least one whole image

  std::vector<TGifColorTable> ColorTables;
  std::vector<std::unique_ptr<TGifImageRecord>> Images;

  int ImageCount() const { return int(Images.size()); }
  bool AnyTransparent() const;
  // The colour of index I in image N's table (black past the table's end).
  uint32_t ColorOf(int N, int I) const;

 private:
  using TImageFound = std::function<void(std::unique_ptr<TGifImageRecord>& Image, const uint8_t* Lzw, size_t Size)>;
  void Parse(const uint8_t* Data, size_t Size, bool KeepImages, const TImageFound& OnImage);
};

// Decodes the LZW data of one image into Image.Pixels (allocated here, Width x Height). Exposed
// for the tests and the benchmark; LoadFromBuffer calls it for every image.
void DecodeGifLZW(const uint8_t* Data, size_t Size, int CodeSize, TGifImageRecord& Image);

// Runs LZW data as DecodeGifLZW would, failing alike, but writes nothing: gives how many of
// Total pixels the data delivers.
int64_t CheckGifLZW(const uint8_t* Data, size_t Size, int CodeSize, int64_t Total);
