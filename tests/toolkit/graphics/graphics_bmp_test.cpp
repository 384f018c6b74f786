#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>

#include "tests/test_data.h"
#include "toolkit/graphics/bitmap.h"

namespace {

namespace fs = std::filesystem;

// The whole suite for the sweeps; the files a test names are in the project's copy.
const fs::path Suite = SharedCorpusPath("images/bmp/bmpsuite");
const fs::path SuiteCopy = TestDataPath("images/bmp/bmpsuite");

std::vector<uint8_t> ReadFile(const fs::path& p) { return ReadFileBytes(p.string()); }

std::vector<fs::path> FilesIn(const char* dir) {
  std::vector<fs::path> out;
  if (fs::is_directory(Suite / dir))
    for (const auto& e : fs::directory_iterator(Suite / dir))
      if (e.path().extension() == ".bmp") out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

struct TReference {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
};

bool ReadPng(const fs::path& p, TReference& ref) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, p.string().c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  ref.Rgb.resize(PNG_IMAGE_SIZE(image));
  png_color background{255, 255, 255};
  if (!png_image_finish_read(&image, &background, ref.Rgb.data(), 0, nullptr)) return false;
  ref.Width = int(image.width);
  ref.Height = int(image.height);
  return true;
}

// A one-row BMP with a 40-byte header: the palette (every entry written, ColorsUsed
// stored as given) and the row's bytes.
std::vector<uint8_t> PaletteBmp(int Width, int Bits, uint32_t ColorsUsed,
                                const std::vector<TColor>& Palette, std::vector<uint8_t> Row) {
  Row.resize((Row.size() + 3) / 4 * 4);
  const uint32_t offBits = uint32_t(54 + 4 * Palette.size());
  std::vector<uint8_t> bmp(offBits + Row.size(), 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, uint32_t(bmp.size()));
  put32(10, offBits);
  put32(14, 40);
  put32(18, uint32_t(Width));
  put32(22, 1);
  bmp[26] = 1;
  bmp[28] = uint8_t(Bits);
  put32(46, ColorsUsed);
  for (size_t i = 0; i < Palette.size(); ++i) {
    bmp[54 + 4 * i] = GetBValue(Palette[i]);
    bmp[55 + 4 * i] = GetGValue(Palette[i]);
    bmp[56 + 4 * i] = GetRValue(Palette[i]);
  }
  std::copy(Row.begin(), Row.end(), bmp.begin() + offBits);
  return bmp;
}

}  // namespace

// What common readers show and a strict reading of the format would refuse: 2 bits per
// pixel, and palettes longer than the bit count needs (their first entries serve).
TEST(BmpReader, TwoBitPixelsAndOverlongPalettes) {
  const TColor r = clRed, g = clLime, b = clBlue, w = clWhite, k = clBlack;
  std::vector<TColor> long8(300, clBlack);
  long8[5] = RGBColor(5, 6, 7);
  const struct {
    const char* What;
    std::vector<uint8_t> Bmp;
    std::vector<TColor> Pixels;
  } cases[] = {
      {"2 bits", PaletteBmp(5, 2, 0, {k, r, g, b}, {0x1B, 0x80}), {k, r, g, b, g}},
      {"2 bits, 3 colours", PaletteBmp(3, 2, 3, {w, r, g}, {0x18}), {w, r, g}},
      {"1 bit, 4 colours", PaletteBmp(2, 1, 4, {r, g, b, w}, {0x40}), {r, g}},
      {"8 bits, 300 colours", PaletteBmp(1, 8, 300, long8, {5}), {RGBColor(5, 6, 7)}},
  };
  for (const auto& c : cases) {
    TBitmap bitmap;
    ASSERT_NO_THROW(bitmap.LoadFromMemory(c.Bmp.data(), c.Bmp.size())) << c.What;
    ASSERT_EQ(bitmap.Width(), int(c.Pixels.size())) << c.What;
    for (int x = 0; x < bitmap.Width(); ++x)
      EXPECT_EQ(bitmap.Pixel(x, 0), c.Pixels[size_t(x)]) << c.What << ", pixel " << x;
  }
  // A palette said to be longer than the file holds stays an error.
  std::vector<uint8_t> cut = PaletteBmp(1, 1, 300, {r, g, b, w}, {0});
  TBitmap bitmap;
  EXPECT_THROW(bitmap.LoadFromMemory(cut.data(), cut.size()), EInvalidGraphic);
}

TEST(BmpReader, EveryGoodSuiteFileDecodesLikeItsReferenceRender) {
  // Reference render of each good file (several files share one picture).
  const std::pair<const char*, const char*> refs[] = {
      {"pal1", "pal1"}, {"pal1bg", "pal1bg"}, {"pal1wb", "pal1"}, {"pal4", "pal4"},
      {"pal4gs", "pal4gs"}, {"pal4rle", "pal4"}, {"pal8-0", "pal8"}, {"pal8", "pal8"},
      {"pal8gs", "pal8gs"}, {"pal8os2", "pal8"}, {"pal8rle", "pal8"}, {"pal8topdown", "pal8"},
      {"pal8v4", "pal8"}, {"pal8v5", "pal8"}, {"pal8w124", "pal8w124"}, {"pal8w125", "pal8w125"},
      {"pal8w126", "pal8w126"}, {"rgb16-565", "rgb16-565"}, {"rgb16-565pal", "rgb16-565"},
      {"rgb16", "rgb16"}, {"rgb16bfdef", "rgb16"}, {"rgb24", "rgb24"}, {"rgb24pal", "rgb24"},
      {"rgb32", "rgb24"}, {"rgb32bf", "rgb24"}, {"rgb32bfdef", "rgb24"},
      {"pal2", "pal2"}, {"pal2color", "pal2color"}, {"pal8oversizepal", "pal8"}};
  SKIP_WITHOUT_SHARED_CORPUS("images/bmp/bmpsuite/g");
  auto files = FilesIn("g");
  ASSERT_GE(files.size(), 20u) << "bmpsuite missing under " << Suite;
  // Questionable files that common readers show.
  for (const char* name : {"pal2", "pal2color", "pal8oversizepal"})
    files.push_back(Suite / "q" / (std::string(name) + ".bmp"));
  for (const fs::path& f : files) {
    SCOPED_TRACE(f.filename().string());
    std::vector<uint8_t> data = ReadFile(f);
    TBitmap b;
    ASSERT_NO_THROW(b.LoadFromMemory(data.data(), data.size()));
    EXPECT_FALSE(b.Empty());
    const std::string stem = f.stem().string();
    const char* refName = nullptr;
    for (auto& [file, ref] : refs)
      if (stem == file) refName = ref;
    if (!refName) continue;
    TReference ref;
    ASSERT_TRUE(ReadPng(Suite / "html" / (std::string(refName) + ".png"), ref));
    if (ref.Width != b.Width() || ref.Height != b.Height()) {
      ADD_FAILURE() << "size " << b.Width() << "x" << b.Height() << " vs " << ref.Width << "x" << ref.Height;
      continue;
    }
    int bad = 0;
    for (int y = 0; y < ref.Height && bad < 3; ++y)
      for (int x = 0; x < ref.Width && bad < 3; ++x) {
        const uint8_t* r = &ref.Rgb[(size_t(y) * size_t(ref.Width) + size_t(x)) * 3];
        TColor c = b.Pixel(x, y);
        if (std::abs(GetRValue(c) - r[0]) > 2 || std::abs(GetGValue(c) - r[1]) > 2 ||
            std::abs(GetBValue(c) - r[2]) > 2) {
          ++bad;
          ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << c << " want "
                        << int(r[0]) << "," << int(r[1]) << "," << int(r[2]);
        }
      }
  }
}

TEST(BmpReader, BadSuiteFilesAreRejectedOrDecodedAndNeverCrash) {
  // These carry faults the reader must notice.
  const char* mustReject[] = {"badbitcount", "badheadersize", "badplanes", "badwidth",
                              "reallybig", "rletopdown", "shortfile", "badpalettesize"};
  SKIP_WITHOUT_SHARED_CORPUS("images/bmp/bmpsuite/b");
  const auto files = FilesIn("b");
  ASSERT_FALSE(files.empty());
  for (const fs::path& f : files) {
    SCOPED_TRACE(f.filename().string());
    std::vector<uint8_t> data = ReadFile(f);
    TBitmap b;
    bool rejected = false;
    try {
      b.LoadFromMemory(data.data(), data.size());
    } catch (const EInvalidGraphic& e) {
      rejected = true;
      EXPECT_FALSE(e.Message.empty());
      EXPECT_TRUE(b.Empty()) << "a failed load leaves the bitmap as it was";
    }
    for (const char* name : mustReject) {
      if (f.stem() == name) {
        EXPECT_TRUE(rejected);
      }
    }
  }
}

TEST(BmpReader, QuestionableFilesNeverCrash) {
  SKIP_WITHOUT_SHARED_CORPUS("images/bmp/bmpsuite/q");
  for (const fs::path& f : FilesIn("q")) {
    std::vector<uint8_t> data = ReadFile(f);
    TBitmap b;
    try {
      b.LoadFromMemory(data.data(), data.size());
      if (!b.Empty()) b.Pixel(b.Width() - 1, b.Height() - 1);
    } catch (const EInvalidGraphic&) {
    }
  }
}

TEST(BmpReader, EveryTruncationOfAGoodFileFailsCleanly) {
  for (const char* name : {"pal8rle.bmp", "pal4.bmp", "rgb16-565.bmp", "pal8os2.bmp"}) {
    std::vector<uint8_t> data = ReadFile(SuiteCopy / "g" / name);
    TBitmap b(2, 2);
    for (size_t n = 0; n + 1 < data.size(); n += 1 + n / 40) {
      EXPECT_THROW(b.LoadFromMemory(data.data(), n), EInvalidGraphic) << name << " cut at " << n;
      ASSERT_EQ(b.Width(), 2) << "the old picture stays after a failed load";
    }
  }
}

TEST(BmpReader, HeaderFieldsAreCheckedOneByOne) {
  // A valid 2 x 1, 24-bit file, then one broken field at a time.
  std::vector<uint8_t> good(14 + 40 + 8, 0);
  good[0] = 'B', good[1] = 'M';
  good[10] = 54;
  good[14] = 40;
  good[18] = 2;   // width
  good[22] = 1;   // height
  good[26] = 1;   // planes
  good[28] = 24;  // bits
  good[54] = 0xFF;  // first pixel blue
  good[58] = 0xFF;  // second pixel green
  TBitmap b;
  ASSERT_NO_THROW(b.LoadFromMemory(good.data(), good.size()));
  EXPECT_EQ(b.Pixel(0, 0), RGBColor(0, 0, 255));
  EXPECT_EQ(b.Pixel(1, 0), RGBColor(0, 255, 0));
  struct Case {
    size_t Offset;
    uint8_t Value;
    const char* What;
  };
  const Case cases[] = {{0, 'X', "signature"},        {10, 200, "offset past the end"},
                        {10, 20, "offset inside the header"}, {14, 41, "header size"},
                        {21, 0x80, "negative width"},  {22, 0, "zero height"},
                        {26, 2, "planes"},             {28, 7, "bit count"},
                        {30, 9, "compression"},        {30, 1, "RLE8 on 24 bits"},
                        {20, 1, "width beyond the limit"}};
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    bad[c.Offset] = c.Value;
    EXPECT_THROW(b.LoadFromMemory(bad.data(), bad.size()), EInvalidGraphic) << c.What;
  }
  // Top-down rows.
  std::vector<uint8_t> two(14 + 40 + 8, 0);
  std::memcpy(two.data(), good.data(), 54);
  two[18] = 1;
  two[22] = 0xFE, two[23] = 0xFF, two[24] = 0xFF, two[25] = 0xFF;  // -2
  two[56] = 0xFF;  // first stored row red: the top row
  ASSERT_NO_THROW(b.LoadFromMemory(two.data(), two.size()));
  EXPECT_EQ(b.Pixel(0, 0), RGBColor(255, 0, 0));
  EXPECT_EQ(b.Pixel(0, 1), clBlack);
}
