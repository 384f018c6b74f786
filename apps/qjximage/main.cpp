// qjximage FILE [--png OUT] [--frames DIR] [--depth 24|8|4]
//
// Decodes one image file through the library's loader, prints what it found, and
// writes frame 0 (--png) or every composed frame of an animated GIF (--frames, into a
// folder it makes when missing, with the delays printed) as PNG, one frame at a time.
// Transparent pixels come out with alpha 0. --depth decodes as for a display of that many
// bits per pixel.
#include "apps/tool_errors.h"
#include "images/image_loader.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace {

const char* const Usage = "usage: qjximage FILE [--png OUT] [--frames DIR] [--depth 24|8|4]\n";

const char* const Help =
    "Decodes an image file (GIF, PNG, JPEG or BMP) through the library's loader and prints\n"
    "its format, size and, for an animated GIF, its frames and their delays.\n"
    "\n"
    "  --png OUT          write the first frame as PNG (transparent pixels with alpha 0)\n"
    "  --frames DIR       write every composed frame as DIR/frameNNN.png (DIR is made if missing)\n"
    "  --depth 24|8|4     decode as for a display of that many bits per pixel (default 24)\n"
    "  --help, --version  this text, the version\n";

int Fail(int Code, const std::string& Message) { return ToolFail("qjximage", Code, Message); }

void PutBigEndian(uint8_t* Out, uint32_t V) {
  for (int i = 0; i < 4; ++i) Out[i] = uint8_t(V >> (24 - 8 * i));
}

// A PNG file written as it is made: rows go through deflate straight into IDAT chunks, so
// that no more than one chunk of packed data is held at a time.
class TPngFile {
 public:
  TPngFile(const std::string& FileName, int Width, int Height) : FOut(std::fopen(FileName.c_str(), "wb")) {
    if (!FOut) return;
    std::fwrite(Signature, 1, sizeof Signature, FOut);
    uint8_t header[13];
    PutBigEndian(header, uint32_t(Width));
    PutBigEndian(header + 4, uint32_t(Height));
    const uint8_t rest[5] = {8, 6, 0, 0, 0};  // 8 bits a sample, RGBA, no interlace
    std::memcpy(header + 8, rest, sizeof rest);
    PutChunk("IHDR", header, sizeof header);
    // The fastest level: frames are many and big, and their size matters less.
    FOk = deflateInit(&FZip, Z_BEST_SPEED) == Z_OK;
    FZipOpen = FOk;
  }
  ~TPngFile() {
    if (FZipOpen) deflateEnd(&FZip);
    if (FOut) std::fclose(FOut);
  }
  TPngFile(const TPngFile&) = delete;
  TPngFile& operator=(const TPngFile&) = delete;

  // A row starts (with no filter); its Width x 4 bytes of RGBA follow, in one or more parts.
  void StartRow() {
    const uint8_t filter = 0;
    Deflate(&filter, 1, Z_NO_FLUSH);
  }
  void Add(const uint8_t* Rgba, size_t Bytes) { Deflate(Rgba, Bytes, Z_NO_FLUSH); }
  // Ends the file; false when anything failed.
  bool Finish() {
    Deflate(nullptr, 0, Z_FINISH);
    PutChunk("IEND", nullptr, 0);
    if (FOut && std::fclose(FOut) != 0) FOk = false;
    FOut = nullptr;
    return FOk;
  }

 private:
  static constexpr uint8_t Signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  static constexpr size_t ChunkSize = 64 * 1024;

  void PutChunk(const char* Type, const uint8_t* Data, size_t Size) {
    if (!FOut) {
      FOk = false;
      return;
    }
    uint8_t word[4];
    PutBigEndian(word, uint32_t(Size));
    std::fwrite(word, 1, 4, FOut);
    std::fwrite(Type, 1, 4, FOut);
    if (Size) std::fwrite(Data, 1, Size, FOut);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(Type), 4);
    if (Size) crc = crc32(crc, Data, uInt(Size));
    PutBigEndian(word, uint32_t(crc));
    if (std::fwrite(word, 1, 4, FOut) != 4) FOk = false;
  }

  void Deflate(const uint8_t* Data, size_t Size, int Flush) {
    if (!FOk) return;
    FZip.next_in = const_cast<Bytef*>(Data);
    FZip.avail_in = uInt(Size);
    do {
      FZip.next_out = FPacked + FPackedUsed;
      FZip.avail_out = uInt(ChunkSize - FPackedUsed);
      const int result = deflate(&FZip, Flush);
      if (result == Z_STREAM_ERROR) {
        FOk = false;
        return;
      }
      FPackedUsed = ChunkSize - FZip.avail_out;
      if (FPackedUsed == ChunkSize || (Flush == Z_FINISH && result == Z_STREAM_END)) {
        PutChunk("IDAT", FPacked, FPackedUsed);
        FPackedUsed = 0;
      }
      if (Flush == Z_FINISH && result == Z_STREAM_END) return;
    } while (FZip.avail_in > 0 || FZip.avail_out == 0 || Flush == Z_FINISH);
  }

  std::FILE* FOut;
  z_stream FZip{};
  bool FOk = false, FZipOpen = false;
  uint8_t FPacked[ChunkSize];
  size_t FPackedUsed = 0;
};

// A raster as a PNG file, with alpha 0 where the mask is set.
bool WriteRasterPng(const std::string& FileName, const TImageBuffer& Bitmap, const TImageBuffer& Mask) {
  const int width = Bitmap.Width();
  auto png = std::make_unique<TPngFile>(FileName, width, Bitmap.Height());
  std::vector<uint8_t> row(size_t(width) * 4);
  for (int y = 0; y < Bitmap.Height(); ++y) {
    uint8_t* d = row.data();
    for (int x = 0; x < width; ++x, d += 4) {
      TColor c = Bitmap.PixelColor(x, y);
      d[0] = uint8_t(GetRValue(c));
      d[1] = uint8_t(GetGValue(c));
      d[2] = uint8_t(GetBValue(c));
      d[3] = !Mask.Empty() && Mask.PixelIndex(x, y) == 1 ? 0 : 255;
    }
    png->StartRow();
    png->Add(row.data(), row.size());
  }
  return png->Finish();
}

// A composed GIF frame (Width x Height pixels, 0xAABBGGRR) as a PNG file.
bool WriteFramePng(const std::string& FileName, int Width, int Height, const uint32_t* Pixels) {
  auto png = std::make_unique<TPngFile>(FileName, Width, Height);
  uint8_t row[4096];
  const size_t rowBytes = size_t(Width) * 4;
  for (int y = 0; y < Height; ++y) {
    const uint32_t* p = Pixels + size_t(y) * size_t(Width);
    png->StartRow();
    // The row in pieces, each put in byte order whatever the machine's.
    for (size_t done = 0; done < rowBytes; done += sizeof row) {
      const size_t count = std::min(sizeof row, rowBytes - done) / 4;
      for (size_t i = 0; i < count; ++i, ++p) {
        row[4 * i] = uint8_t(*p);
        row[4 * i + 1] = uint8_t(*p >> 8);
        row[4 * i + 2] = uint8_t(*p >> 16);
        row[4 * i + 3] = uint8_t(*p >> 24);
      }
      png->Add(row, count * 4);
    }
  }
  return png->Finish();
}

std::string FrameFile(const std::string& Dir, int Index) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame%03d.png", Index);
  return Dir + name;
}

const char* FormatName(int Format) {
  switch (Format) {
    case ifBMP: return "BMP";
    case ifGIF87: return "GIF87a";
    case ifGIF89: return "GIF89a";
    case ifPNG: return "PNG";
    case ifJPEG: return "JPEG";
    default: return "unknown";
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, pngOut, framesDir;
  int depth = 24;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::printf("%s\n%s", Usage, Help);
      return 0;
    }
    if (arg == "--version") {
      std::printf("qjximage %s\n", QJX_VERSION);
      return 0;
    }
    const bool takesValue = arg == "--png" || arg == "--frames" || arg == "--depth";
    if (takesValue && i + 1 == argc) return Fail(2, arg + " needs a value");
    if (arg == "--png") {
      pngOut = argv[++i];
    } else if (arg == "--frames") {
      framesDir = argv[++i];
    } else if (arg == "--depth") {
      const std::string value = argv[++i];
      if (value != "24" && value != "8" && value != "4")
        return Fail(2, "--depth must be 24, 8 or 4, not '" + value + "'");
      depth = std::stoi(value);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Fail(2, "unknown option " + arg + " (see qjximage --help)");
    } else if (!input.empty()) {
      return Fail(2, "one file only (see qjximage --help)");
    } else {
      input = arg;
    }
  }
  if (input.empty()) return Fail(2, "no file given (see qjximage --help)");
  if (std::string problem = ReadProblem(input); !problem.empty()) return Fail(1, problem);
  if (!framesDir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(framesDir, error);
    if (error) return Fail(1, "cannot make the folder " + framesDir + ": " + error.message());
  }

  TMemoryStream stream;
  try {
    stream.LoadFromFile(input);
  } catch (const std::exception& e) {
    return Fail(1, e.what());
  }
  const uint8_t* data = stream.Memory();
  size_t size = size_t(stream.Size());
  int transparent = tkNone;
  TLoadedImage image;
  try {
    if (size < MinImageDataSize) throw EImageFormatError("Image data too short.");
    image = DecodeImageData(data, size, transparent, depth);
  } catch (const std::exception& e) {
    return Fail(1, input + ": " + e.what());
  }

  std::printf("format %s\n", FormatName(GetImageFormat(data, size)));
  if (image.Gif) {
    TGIFImage& gif = *image.Gif;
    std::printf("size %d x %d\nframes %d\nloop %d\n", gif.Width, gif.Height, gif.FrameCount, gif.LoopCount);
    // The frames are composed one after another into one picture, and each is written before
    // the next is made, as the viewer plays them.
    std::vector<uint32_t> picture;
    if (!pngOut.empty() || !framesDir.empty()) picture.resize(size_t(gif.Width) * size_t(gif.Height));
    for (int n = 1; n <= gif.FrameCount; ++n) {
      std::printf("frame %d delay %d ms\n", n - 1, gif.Frame(n).Delay);
      const bool first = n == 1 && !pngOut.empty();
      if (!first && framesDir.empty()) continue;
      gif.ShowFrame(n);
      gif.RenderCurrent(picture.data());
      bool ok = true;
      if (first) ok = WriteFramePng(pngOut, gif.Width, gif.Height, picture.data());
      if (!framesDir.empty()) ok = ok && WriteFramePng(FrameFile(framesDir, n - 1), gif.Width, gif.Height, picture.data());
      if (!ok) return Fail(1, "cannot write frame " + std::to_string(n - 1));
    }
    return 0;
  }

  std::printf("size %d x %d\nbits %d\ntransparency %d\n", image.Bitmap.Width(), image.Bitmap.Height(),
              image.Bitmap.BitsPerPixel(), transparent);
  for (const std::string& out : {pngOut, framesDir.empty() ? std::string() : FrameFile(framesDir, 0)})
    if (!out.empty() && !WriteRasterPng(out, image.Bitmap, image.Mask)) return Fail(1, "cannot write " + out);
  return 0;
}
