#include "images/gif_decoder.h"

#include <cstring>

namespace {

const char* const kErrorTexts[] = {
    "no error",
    "Invalid GIF Signature Code",
    "No Local or Global Color Table for Image",
    "Unknown Graphics Extension Type",
    "Unknown Graphics Operation Code",
    "Invalid Extension Block Size",
    "[special message]",
    "Invalid Extension Block Terminator",
    "Invalid Integer Size",
    "No GIF Terminator Found",
    "Extension Block Out-Of-Order With Image Data",
    "Invalid Image Descriptor Index",
    "Invalid LZW Code Size",
    "Invalid LZW Data Format",
    "LZW Code Overflow",
    "Value Out Of Range",
    "NIL Pointer assigned",
    "Invalid Color Table Size",
    "No Image Description",
    "Invalid Bitmap Image",
    "Invalid Color Table Index",
    "Invalid Interlace Pass",
    "Invalid Bitmap",
    "Too Many Colors In Bitmap",
    "Unexpected end of file",
    "next message",
};
constexpr int kErrorCount = int(sizeof(kErrorTexts) / sizeof(kErrorTexts[0]));

thread_local int GLastErrorCode = 0;
thread_local std::string GLastErrorText;

[[noreturn]] void Fail(int Code) { throw EGifError(Code, kErrorTexts[Code]); }

// A cursor over the file held in memory. Every read checks the end and raises
// "Unexpected end of file" rather than reading past it.
class TGifReader {
 public:
  TGifReader(const uint8_t* AData, size_t ASize) : FData(AData), FSize(ASize) {}
  bool AtEnd() const { return FPos >= FSize; }
  size_t Remaining() const { return FPos < FSize ? FSize - FPos : 0; }
  uint8_t Byte() {
    if (FPos >= FSize) Fail(geUnexpectedEOF);
    return FData[FPos++];
  }
  int Word() {
    if (FSize - FPos < 2 || FPos > FSize) Fail(geUnexpectedEOF);
    int V = FData[FPos] | (FData[FPos + 1] << 8);
    FPos += 2;
    return V;
  }
  const uint8_t* Bytes(size_t N) {
    if (FPos > FSize || FSize - FPos < N) Fail(geUnexpectedEOF);
    const uint8_t* P = FData + FPos;
    FPos += N;
    return P;
  }
  // Skips data sub-blocks up to and including the zero-length terminator. When First is given,
  // the first sub-block is copied there.
  void SkipSubBlocks(std::string* First = nullptr) {
    for (bool IsFirst = true;; IsFirst = false) {
      int Len = Byte();
      if (Len == 0) return;
      const uint8_t* P = Bytes(size_t(Len));
      if (IsFirst && First) First->assign(reinterpret_cast<const char*>(P), size_t(Len));
    }
  }
  void ReadSubBlocks(std::string& Out) {
    for (;;) {
      int Len = Byte();
      if (Len == 0) return;
      Out.append(reinterpret_cast<const char*>(Bytes(size_t(Len))), size_t(Len));
    }
  }
  // Appends every sub-block to Out (plus nothing else); used for the LZW stream.
  void AppendSubBlocks(std::vector<uint8_t>& Out) {
    for (;;) {
      int Len = Byte();
      if (Len == 0) return;
      const uint8_t* P = Bytes(size_t(Len));
      Out.insert(Out.end(), P, P + Len);
    }
  }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};

void ReadColorTable(TGifReader& R, int Count, TGifColorTable& Table) {
  const uint8_t* P = R.Bytes(size_t(Count) * 3);
  Table.Count = Count;
  for (int I = 0; I < Count; ++I, P += 3)
    Table.Colors[I] = uint32_t(P[0]) | (uint32_t(P[1]) << 8) | (uint32_t(P[2]) << 16);
}

// Reads up to 8 bytes at the bit position, least significant bit first; bytes past the end
// read as zero.
inline uint64_t PeekBits(const uint8_t* Data, size_t Size, size_t BitPos) {
  size_t Byte = BitPos >> 3;
  uint64_t V = 0;
  if (Byte + 8 <= Size)
    std::memcpy(&V, Data + Byte, 8);
  else if (Byte < Size)
    std::memcpy(&V, Data + Byte, Size - Byte);
  return V >> (BitPos & 7);
}

// Decodes into Out (room for Total + 8 bytes: short copies may run 8 bytes past the string).
// Every table entry is a copy of bytes already written: the previous string plus the first
// byte of the one after it, which lies right behind it in Out. So an entry is just an offset
// and a length, and expanding it is a forward copy (overlap included, as in the KwKwK case).
// Without Write, Out is never touched: the run only checks the codes and counts the pixels.
template <bool Write>
int64_t DecodeLinear(const uint8_t* Data, size_t Size, int CodeSize, uint8_t* Out, int64_t Total) {
  if (CodeSize < 1 || CodeSize > 11) Fail(geInvalidLZWCodeSize);
  const uint32_t Clear = 1u << CodeSize;
  const uint32_t End = Clear + 1;
  int Width = CodeSize + 1;
  uint32_t Limit = 1u << Width;
  uint32_t Next = End + 1;
  int64_t PrevPos = -1;  // where the previous string starts; -1 right after a clear
  uint32_t PrevLen = 0;
  uint32_t Offsets[4096];
  uint32_t Lengths[4096];
  const size_t BitEnd = Size * 8;
  size_t BitPos = 0;
  int64_t Pos = 0;

  while (Pos < Total) {
    if (BitPos + size_t(Width) > BitEnd) break;  // data exhausted, no end code
    uint32_t Code = uint32_t(PeekBits(Data, Size, BitPos)) & (Limit - 1);
    BitPos += size_t(Width);
    if (Code == Clear) {
      Width = CodeSize + 1;
      Limit = 1u << Width;
      Next = End + 1;
      PrevPos = -1;
      continue;
    }
    if (Code == End) break;
    if (PrevPos < 0) {
      if (Code >= Next) Code = 0;
      if constexpr (Write) Out[Pos] = uint8_t(Code);
      PrevPos = Pos++;
      PrevLen = 1;
      // Only with a 1-bit code size does the first free code already fill the width.
      if (Next >= Limit && Width < 12) {
        ++Width;
        Limit <<= 1;
      }
      continue;
    }
    int64_t Src;
    uint32_t Len;
    if (Code < Clear) {
      Src = -1;
      Len = 1;
    } else if (Code < Next) {
      Src = Offsets[Code];
      Len = Lengths[Code];
    } else if (Code == Next) {
      Src = PrevPos;
      Len = PrevLen + 1;
    } else {
      Fail(geInvalidLZWData);
    }
    if (Next < 4096) {
      Offsets[Next] = uint32_t(PrevPos);
      Lengths[Next] = PrevLen + 1;
      ++Next;
      if (Next >= Limit && Width < 12) {
        ++Width;
        Limit <<= 1;
      }
    }
    PrevPos = Pos;
    PrevLen = Len;
    if (Src < 0) {
      if constexpr (Write) Out[Pos] = uint8_t(Code);
      ++Pos;
      continue;
    }
    if (int64_t(Len) > Total - Pos) Len = uint32_t(Total - Pos);
    if constexpr (!Write) {
      Pos += Len;
      continue;
    }
    uint8_t* D = Out + Pos;
    const uint8_t* S = Out + Src;
    if (Pos - Src >= 8) {
      for (uint32_t I = 0; I < Len; I += 8) std::memcpy(D + I, S + I, 8);
    } else {
      for (uint32_t I = 0; I < Len; ++I) D[I] = S[I];
    }
    Pos += Len;
  }
  return Pos;
}

int64_t GMaxPixels = kGifMaxPixels;

void CheckPixelBudget(int64_t Pixels, int64_t& Used) {
  Used += Pixels;
  if (Pixels > GMaxPixels || Used > GMaxPixels)
    throw EGifError(geSpecialMessage, "image too large: more than " + std::to_string(GMaxPixels) +
                                          " pixels to decode");
}

}  // namespace

EGifError::EGifError(int ACode, const std::string& AText)
    : std::runtime_error("TGif: " + AText), Code(ACode) {
  GLastErrorCode = ACode;
  GLastErrorText = AText;
}

int64_t GifMaxPixels() { return GMaxPixels; }
void SetGifMaxPixels(int64_t Pixels) { GMaxPixels = Pixels > 0 ? Pixels : kGifMaxPixels; }

const char* GifErrorText(int Code) { return Code >= 0 && Code < kErrorCount ? kErrorTexts[Code] : ""; }
int GifLastErrorCode() { return GLastErrorCode; }
std::string GifLastErrorText() { return GLastErrorText; }

void DecodeGifLZW(const uint8_t* Data, size_t Size, int CodeSize, TGifImageRecord& Image) {
  const int64_t Total = int64_t(Image.Width) * Image.Height;
  Image.Pixels.clear();
  Image.PixelsDecoded = 0;
  if (Total == 0) return;
  if (!Image.Interlaced) {
    Image.Pixels.resize(size_t(Total) + 8);
    const int64_t Decoded = DecodeLinear<true>(Data, Size, CodeSize, Image.Pixels.data(), Total);
    std::memset(Image.Pixels.data() + Decoded, 0, size_t(Total - Decoded));
    Image.PixelsDecoded = Decoded;
    Image.Pixels.resize(size_t(Total));
    return;
  }
  // Interlaced rows arrive in four passes; decode them in file order, then place each row.
  TGifPixels Linear(size_t(Total) + 8);
  const int64_t Decoded = DecodeLinear<true>(Data, Size, CodeSize, Linear.data(), Total);
  std::memset(Linear.data() + Decoded, 0, size_t(Total - Decoded));
  Image.PixelsDecoded = Decoded;
  Image.Pixels.resize(size_t(Total));
  static const int kStart[4] = {0, 4, 2, 1};
  static const int kStep[4] = {8, 8, 4, 2};
  const size_t W = size_t(Image.Width);
  int64_t Row = 0;
  for (int Pass = 0; Pass < 4; ++Pass)
    for (int Y = kStart[Pass]; Y < Image.Height; Y += kStep[Pass], ++Row)
      std::memcpy(&Image.Pixels[size_t(Y) * W], &Linear[size_t(Row) * W], W);
}

int64_t CheckGifLZW(const uint8_t* Data, size_t Size, int CodeSize, int64_t Total) {
  return Total > 0 ? DecodeLinear<false>(Data, Size, CodeSize, nullptr, Total) : 0;
}

bool TGif::AnyTransparent() const {
  for (const auto& Image : Images)
    if (Image->Control.Transparent) return true;
  return false;
}

uint32_t TGif::ColorOf(int N, int I) const {
  if (N < 0 || N >= ImageCount() || I < 0 || I > 255) return 0;
  int T = Images[size_t(N)]->ColorTable;
  if (T < 0 || T >= int(ColorTables.size())) return 0;
  return ColorTables[size_t(T)].Colors[I];
}

void TGif::LoadFromBuffer(const uint8_t* Data, size_t Size) {
  int64_t PixelsUsed = 0;
  Parse(Data, Size, true, [&](std::unique_ptr<TGifImageRecord>& Image, const uint8_t* Lzw, size_t LzwSize) {
    CheckPixelBudget(int64_t(Image->Width) * Image->Height, PixelsUsed);
    DecodeGifLZW(Lzw, LzwSize, Image->CodeSize, *Image);
    Images.push_back(std::move(Image));
  });
}

void TGif::LoadFromBuffer(const uint8_t* Data, size_t Size, const TGifImageEvent& OnImage) {
  Parse(Data, Size, false, [&](std::unique_ptr<TGifImageRecord>& Image, const uint8_t* Lzw, size_t LzwSize) {
    OnImage(*this, *Image, Lzw, LzwSize);
  });
}

void TGif::Parse(const uint8_t* Data, size_t Size, bool KeepImages, const TImageFound& OnImage) {
  if (!Data && Size) Fail(geNilPointer);
  TGifReader R(Data, Size);
  const uint8_t* Sig = R.Bytes(6);
  for (int I = 0; I < 6; ++I) Signature[I] = char(Sig[I]);
  Signature[6] = 0;
  std::string Upper(Signature, 6);
  for (char& C : Upper) C = char(std::toupper(static_cast<unsigned char>(C)));
  if (Upper != "GIF87A" && Upper != "GIF89A") Fail(geInvalidSignature);

  ScreenWidth = R.Word();
  ScreenHeight = R.Word();
  int Packed = R.Byte();
  GlobalTableFlag = (Packed & 0x80) != 0;
  ColorResolution = ((Packed >> 4) & 7) + 1;
  SortedFlag = (Packed & 0x08) != 0;
  GlobalTableSize = 2 << (Packed & 7);
  BackgroundIndex = R.Byte();
  Aspect = R.Byte();
  if (GlobalTableFlag) {
    ColorTables.emplace_back();
    ReadColorTable(R, GlobalTableSize, ColorTables.back());
    GlobalTable = 0;
  }

  TGifGraphicControl PendingControl;
  std::vector<std::string> PendingComments;
  std::vector<uint8_t> LZWData;
  // Without a list of images kept, one slot serves every local table in turn.
  int LocalSlot = -1;
  int ImagesRead = 0;
  for (;;) {
    if (R.AtEnd()) Fail(geNoTerminator);
    int Block = R.Byte();
    if (Block == 0) continue;
    if (Block == 0x3B) break;
    if (Block == 0x2C) {
      if (ImagesRead >= kGifMaxImages)
        throw EGifError(geSpecialMessage, "too many images: more than " + std::to_string(kGifMaxImages));
      auto Image = std::make_unique<TGifImageRecord>();
      Image->Index = ImagesRead++;
      Image->Control = PendingControl;
      Image->Comments = std::move(PendingComments);
      PendingControl = TGifGraphicControl();
      PendingComments.clear();
      Image->Left = R.Word();
      Image->Top = R.Word();
      Image->Width = R.Word();
      Image->Height = R.Word();
      int IPacked = R.Byte();
      Image->LocalTable = (IPacked & 0x80) != 0;
      Image->Interlaced = (IPacked & 0x40) != 0;
      Image->Sorted = (IPacked & 0x20) != 0;
      if (Image->LocalTable) {
        Image->TableSize = 2 << (IPacked & 7);
        if (KeepImages || LocalSlot < 0) {
          ColorTables.emplace_back();
          LocalSlot = int(ColorTables.size()) - 1;
        }
        ReadColorTable(R, Image->TableSize, ColorTables[size_t(LocalSlot)]);
        Image->ColorTable = LocalSlot;
      } else if (GlobalTable >= 0) {
        Image->ColorTable = GlobalTable;
      } else {
        Fail(geNoColorTable);
      }
      Image->CodeSize = R.Byte();
      LZWData.clear();
      // Kept images are decoded at once, and their data may as well fit in one allocation;
      // handed-out ones are kept compressed, where a second copy of the file would count.
      if (KeepImages) LZWData.reserve(R.Remaining());
      R.AppendSubBlocks(LZWData);
      OnImage(Image, LZWData.data(), LZWData.size());
      continue;
    }
    if (Block != 0x21) Fail(geUnknownOperationCode);
    int Label = R.Byte();
    switch (Label) {
      case 0xF9: {
        if (R.Byte() != 4) Fail(geInvalidExtensionBlockSize);
        int GPacked = R.Byte();
        PendingControl.Present = true;
        PendingControl.Disposal = (GPacked >> 2) & 7;
        PendingControl.UserInput = (GPacked & 2) != 0;
        PendingControl.Transparent = (GPacked & 1) != 0;
        PendingControl.Delay = R.Word();
        PendingControl.TransparentIndex = R.Byte();
        if (R.Byte() != 0) Fail(geInvalidExtensionTerminator);
        break;
      }
      case 0xFE: {
        // A comment that breaks off after an image ends the file with the images read so far.
        std::string Text;
        try {
          R.ReadSubBlocks(Text);
        } catch (const EGifError&) {
          if (ImagesRead == 0) throw;
          Truncated = true;
          return;
        }
        PendingComments.push_back(std::move(Text));
        break;
      }
      case 0x01: {
        if (R.Byte() != 12) Fail(geInvalidExtensionBlockSize);
        R.Bytes(12);
        R.SkipSubBlocks();
        break;
      }
      case 0xFF: {
        if (R.Byte() != 11) Fail(geInvalidExtensionBlockSize);
        const uint8_t* Id = R.Bytes(11);
        std::string First;
        R.SkipSubBlocks(&First);
        bool Looping = std::memcmp(Id, "NETSCAPE2.0", 11) == 0 || std::memcmp(Id, "ANIMEXTS1.0", 11) == 0;
        // Sub-block 1 is the loop count; sub-block 2 (a buffer size) is not.
        if (Looping && First.size() == 3 && First[0] == 1)
          LoopCount = uint8_t(First[1]) | (uint8_t(First[2]) << 8);
        break;
      }
      default:
        // Extensions of unknown kinds carry their data in sub-blocks; skipping them keeps
        // the images that follow.
        R.SkipSubBlocks();
        break;
    }
  }
  if (ImagesRead == 0) Fail(geNoImageDescription);
}
