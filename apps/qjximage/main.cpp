// qjximage FILE [--png OUT] [--frames DIR] [--depth 24|8|4]
//
// Decodes one image file through the library's loader, prints what it found, and
// writes frame 0 (--png) or every composed frame of an animated GIF (--frames, with
// the delays printed) as PNG. Transparent pixels come out with alpha 0. --depth
// decodes as for a display of that many bits per pixel.
#include "apps/tool_errors.h"
#include "images/image_loader.h"

#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const Usage = "usage: qjximage FILE [--png OUT] [--frames DIR] [--depth 24|8|4]\n";

const char* const Help =
    "Decodes an image file (GIF, PNG, JPEG or BMP) through the library's loader and prints\n"
    "its format, size and, for an animated GIF, its frames and their delays.\n"
    "\n"
    "  --png OUT          write the first frame as PNG (transparent pixels with alpha 0)\n"
    "  --frames DIR       write every composed frame as DIR/frameNNN.png\n"
    "  --depth 24|8|4     decode as for a display of that many bits per pixel (default 24)\n"
    "  --help, --version  this text, the version\n";

int Fail(int Code, const std::string& Message) { return ToolFail("qjximage", Code, Message); }

void PutBigEndian(std::vector<uint8_t>& Out, uint32_t V) {
  for (int s = 24; s >= 0; s -= 8) Out.push_back(uint8_t(V >> s));
}

void PutChunk(std::vector<uint8_t>& Out, const char* Type, const std::vector<uint8_t>& Data) {
  PutBigEndian(Out, uint32_t(Data.size()));
  size_t start = Out.size();
  Out.insert(Out.end(), Type, Type + 4);
  Out.insert(Out.end(), Data.begin(), Data.end());
  PutBigEndian(Out, uint32_t(crc32(0, Out.data() + start, uInt(Out.size() - start))));
}

// RGBA rows (Width x 4 bytes each) as a PNG file.
bool WriteRgbaPng(const std::string& FileName, int Width, int Height, const std::vector<uint8_t>& Rgba) {
  std::vector<uint8_t> raw;
  raw.reserve(size_t(Height) * (size_t(Width) * 4 + 1));
  for (int y = 0; y < Height; ++y) {
    raw.push_back(0);
    const uint8_t* row = Rgba.data() + size_t(y) * size_t(Width) * 4;
    raw.insert(raw.end(), row, row + size_t(Width) * 4);
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK) return false;
  packed.resize(packedSize);
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> header;
  PutBigEndian(header, uint32_t(Width));
  PutBigEndian(header, uint32_t(Height));
  header.insert(header.end(), {8, 6, 0, 0, 0});
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", packed);
  PutChunk(file, "IEND", {});
  std::ofstream out(FileName, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  return bool(out);
}

std::vector<uint8_t> RasterToRgba(const TImageBuffer& Bitmap, const TImageBuffer& Mask) {
  std::vector<uint8_t> rgba(size_t(Bitmap.Width()) * size_t(Bitmap.Height()) * 4);
  uint8_t* d = rgba.data();
  for (int y = 0; y < Bitmap.Height(); ++y)
    for (int x = 0; x < Bitmap.Width(); ++x, d += 4) {
      TColor c = Bitmap.PixelColor(x, y);
      d[0] = uint8_t(GetRValue(c));
      d[1] = uint8_t(GetGValue(c));
      d[2] = uint8_t(GetBValue(c));
      d[3] = !Mask.Empty() && Mask.PixelIndex(x, y) == 1 ? 0 : 255;
    }
  return rgba;
}

// A composed GIF frame (0xAABBGGRR pixels) as RGBA bytes.
std::vector<uint8_t> FrameToRgba(const std::vector<uint32_t>& Pixels) {
  std::vector<uint8_t> rgba(Pixels.size() * 4);
  for (size_t i = 0; i < Pixels.size(); ++i) {
    rgba[4 * i] = uint8_t(Pixels[i]);
    rgba[4 * i + 1] = uint8_t(Pixels[i] >> 8);
    rgba[4 * i + 2] = uint8_t(Pixels[i] >> 16);
    rgba[4 * i + 3] = uint8_t(Pixels[i] >> 24);
  }
  return rgba;
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
    for (int n = 1; n <= gif.FrameCount; ++n) {
      std::printf("frame %d delay %d ms\n", n - 1, gif.Frame(n).Delay);
      gif.ShowFrame(n);
      std::vector<uint8_t> rgba = FrameToRgba(gif.RenderCurrent());
      bool ok = true;
      if (n == 1 && !pngOut.empty()) ok = WriteRgbaPng(pngOut, gif.Width, gif.Height, rgba);
      if (!framesDir.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame%03d.png", n - 1);
        ok = ok && WriteRgbaPng(framesDir + name, gif.Width, gif.Height, rgba);
      }
      if (!ok) return Fail(1, "cannot write frame " + std::to_string(n - 1));
    }
    return 0;
  }

  std::printf("size %d x %d\nbits %d\ntransparency %d\n", image.Bitmap.Width(), image.Bitmap.Height(),
              image.Bitmap.BitsPerPixel(), transparent);
  std::vector<uint8_t> rgba = RasterToRgba(image.Bitmap, image.Mask);
  for (const std::string& out : {pngOut, framesDir.empty() ? std::string() : framesDir + "/frame000.png"})
    if (!out.empty() && !WriteRgbaPng(out, image.Bitmap.Width(), image.Bitmap.Height(), rgba))
      return Fail(1, "cannot write " + out);
  return 0;
}
