// The parser and the LZW decoder on hand-made files: header variants, extensions, errors
// and their messages, LZW edge cases, limits.
#include <gtest/gtest.h>

#include <random>

#include "images/gif_image.h"
#include "tests/images/gif_test_files.h"

namespace {

std::vector<uint8_t> Pattern(int W, int H, int Colors, unsigned Seed = 1) {
  std::mt19937 Rng(Seed);
  std::vector<uint8_t> P(size_t(W) * size_t(H));
  // Runs of repeated values make the LZW table grow and reuse long strings.
  for (size_t I = 0; I < P.size(); ++I) P[I] = uint8_t((I / (1 + Rng() % 5) + Rng() % 2) % unsigned(Colors));
  return P;
}

std::string ErrorOf(const std::vector<uint8_t>& Bytes) {
  try {
    TGif Gif;
    Gif.LoadFromBuffer(Bytes.data(), Bytes.size());
  } catch (const EGifError& E) {
    return E.what();
  }
  return "";
}

// The same file read as the viewer reads it, keeping its frames compressed.
std::string ImageErrorOf(const std::vector<uint8_t>& Bytes) {
  try {
    ReadGifImage(Bytes.data(), Bytes.size());
  } catch (const EGifError& E) {
    return E.what();
  }
  return "";
}

std::vector<uint8_t> AsVector(const TGifPixels& P) { return std::vector<uint8_t>(P.begin(), P.end()); }

TGifImageRecord DecodeRaw(const std::vector<uint8_t>& Data, int CodeSize, int W, int H) {
  TGifImageRecord Image;
  Image.Width = W;
  Image.Height = H;
  DecodeGifLZW(Data.data(), Data.size(), CodeSize, Image);
  return Image;
}

}  // namespace

TEST(GifDecoder, SignatureIsCaseBlindAndChecked) {
  for (const char* Sig : {"GIF89a", "gif89a", "GIF87a", "Gif87A"}) {
    TGifWriter W;
    W.Header(1, 1, 2, Sig).Image(0, 0, 1, 1, {1}).Trailer();
    EXPECT_EQ(ErrorOf(W.Bytes), "") << Sig;
  }
  for (const char* Sig : {"GIF90a", "GIF8xa", "PNG89a"}) {
    TGifWriter W;
    W.Header(1, 1, 2, Sig).Image(0, 0, 1, 1, {1}).Trailer();
    EXPECT_EQ(ErrorOf(W.Bytes), "TGif: Invalid GIF Signature Code") << Sig;
  }
}

TEST(GifDecoder, StructuralErrorsCarryTheirMessages) {
  struct TCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
    const char* Message;
  };
  auto Base = [] {
    TGifWriter W;
    W.Header(2, 2, 4);
    return W;
  };
  std::vector<TCase> Cases;
  Cases.push_back({"control block size", Base().Raw({0x21, 0xF9, 5, 0, 0, 0, 0, 0, 0}).Bytes,
                   "TGif: Invalid Extension Block Size"});
  Cases.push_back({"control terminator", Base().Raw({0x21, 0xF9, 4, 0, 0, 0, 0, 7}).Bytes,
                   "TGif: Invalid Extension Block Terminator"});
  Cases.push_back({"plain text size", Base().Raw({0x21, 0x01, 11}).Bytes, "TGif: Invalid Extension Block Size"});
  Cases.push_back({"application size", Base().Raw({0x21, 0xFF, 10}).Bytes, "TGif: Invalid Extension Block Size"});
  Cases.push_back({"unknown block", Base().Raw({0x99}).Bytes, "TGif: Unknown Graphics Operation Code"});
  Cases.push_back({"no trailer", Base().Image(0, 0, 2, 2, {0, 1, 2, 3}).Bytes, "TGif: No GIF Terminator Found"});
  Cases.push_back({"no image", Base().Trailer().Bytes, "TGif: No Image Description"});
  Cases.push_back({"short header", {'G', 'I', 'F', '8', '9', 'a', 1, 0}, "TGif: Unexpected end of file"});
  {
    TGifWriter W;
    W.Header(2, 2, 0).Image(0, 0, 2, 2, {0, 1, 0, 1}).Trailer();
    Cases.push_back({"no colour table", W.Bytes, "TGif: No Local or Global Color Table for Image"});
  }
  {
    auto W = Base().Image(0, 0, 2, 2, {0, 1, 2, 3});
    W.Bytes.resize(W.Bytes.size() - 3);  // inside the last sub-block
    Cases.push_back({"short sub-block", W.Bytes, "TGif: Unexpected end of file"});
  }
  {
    auto W = Base();
    W.Raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 12, 1, 0, 0}).Trailer();
    Cases.push_back({"code size 12", W.Bytes, "TGif: Invalid LZW Code Size"});
  }
  {
    // Code 7 when the next free code is 6: not yet defined.
    auto W = Base();
    W.Raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2});
    W.SubBlocks(TGifWriter::PackCodes({4, 1, 7, 5}, 3));
    W.Trailer();
    Cases.push_back({"undefined code", W.Bytes, "TGif: Invalid LZW Data Format"});
  }
  for (const auto& C : Cases) {
    EXPECT_EQ(ErrorOf(C.Bytes), C.Message) << C.Name;
    EXPECT_EQ(ImageErrorOf(C.Bytes), C.Message) << C.Name << ", as an image to show";
  }
  EXPECT_EQ(GifLastErrorCode(), geInvalidLZWData);
  EXPECT_EQ(GifLastErrorText(), "Invalid LZW Data Format");
}

TEST(GifDecoder, ExtensionsAreReadOrSkipped) {
  TGifWriter W;
  W.Header(2, 1, 2)
      .Extension(0xFE, "a comment")
      .Raw({0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0, 5, 'H', 'e', 'l', 'l', 'o', 0})
      .Extension(0x02, "unknown kind")
      .Raw({0x21, 0xFF, 11, 'X', 'M', 'P', ' ', 'D', 'a', 't', 'a', 'X', 'M', 'P', 2, 1, 2, 0})
      .Loop(3, "ANIMEXTS1.0")
      .Control(2, 7, 1)
      .Image(0, 0, 2, 1, {0, 1})
      .Trailer();
  TGif Gif;
  Gif.LoadFromBuffer(W.Bytes.data(), W.Bytes.size());
  ASSERT_EQ(Gif.ImageCount(), 1);
  const TGifImageRecord& Image = *Gif.Images[0];
  EXPECT_EQ(Image.Comments, std::vector<std::string>{"a comment"});
  EXPECT_EQ(Gif.LoopCount, 3);
  EXPECT_TRUE(Image.Control.Present);
  EXPECT_EQ(Image.Control.Disposal, 2);
  EXPECT_EQ(Image.Control.Delay, 7);
  EXPECT_TRUE(Image.Control.Transparent);
  EXPECT_EQ(Image.Control.TransparentIndex, 1);
  EXPECT_TRUE(Gif.AnyTransparent());
}

TEST(GifDecoder, LoopBlockReadsOnlyItsLoopSubBlock) {
  TGifWriter W;
  W.Header(1, 1, 2)
      .Raw({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 5, 2, 0, 4, 0, 0, 0})
      .Image(0, 0, 1, 1, {0})
      .Trailer();
  TGif Gif;
  Gif.LoadFromBuffer(W.Bytes.data(), W.Bytes.size());
  EXPECT_EQ(Gif.LoopCount, -1);
  TGifWriter V;
  V.Header(1, 1, 2).Loop(0).Image(0, 0, 1, 1, {0}).Trailer();
  TGif Endless;
  Endless.LoadFromBuffer(V.Bytes.data(), V.Bytes.size());
  EXPECT_EQ(Endless.LoopCount, 0);
}

TEST(GifDecoder, CommentBreakingOffAfterAnImageKeepsTheImagesRead) {
  TGifWriter W;
  W.Header(2, 2, 4).Image(0, 0, 2, 2, {0, 1, 2, 3}).Raw({0x21, 0xFE, 10, 'c', 'u', 't'});
  TGif Gif;
  Gif.LoadFromBuffer(W.Bytes.data(), W.Bytes.size());
  EXPECT_EQ(Gif.ImageCount(), 1);
  EXPECT_TRUE(Gif.Truncated);
  // Before any image, the same break is an error.
  TGifWriter V;
  V.Header(2, 2, 4).Raw({0x21, 0xFE, 10, 'c', 'u', 't'});
  EXPECT_EQ(ErrorOf(V.Bytes), "TGif: Unexpected end of file");
}

TEST(GifDecoder, CompressedImagesRoundTripAtEveryCodeSize) {
  struct TCase {
    int W, H, CodeSize;
    bool ClearWhenFull;
  };
  const TCase Cases[] = {{1, 1, 2, true},    {7, 3, 2, true},    {64, 64, 3, true},  {300, 200, 8, true},
                         {300, 200, 8, false}, {257, 131, 5, false}, {1000, 100, 1, true}, {1, 5000, 4, true}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.W << "x" << C.H << " code size " << C.CodeSize);
    const auto Pixels = Pattern(C.W, C.H, 1 << std::min(C.CodeSize, 8), unsigned(C.W * C.H));
    const auto Data = EncodeGifLZW(Pixels, C.CodeSize, C.ClearWhenFull);
    const auto Image = DecodeRaw(Data, C.CodeSize, C.W, C.H);
    EXPECT_EQ(Image.PixelsDecoded, int64_t(Pixels.size()));
    EXPECT_TRUE(std::equal(Pixels.begin(), Pixels.end(), Image.Pixels.begin(), Image.Pixels.end()));
  }
}

TEST(GifDecoder, FullTableWithoutClearKeepsDecodingAtTwelveBits) {
  // Noise fills the 4096-entry table quickly; the encoder then carries on without clearing.
  std::mt19937 Rng(7);
  std::vector<uint8_t> Pixels(200000);
  for (auto& P : Pixels) P = uint8_t(Rng() % 200);
  for (bool Clear : {true, false}) {
    const auto Image = DecodeRaw(EncodeGifLZW(Pixels, 8, Clear), 8, 400, 500);
    EXPECT_TRUE(std::equal(Pixels.begin(), Pixels.end(), Image.Pixels.begin(), Image.Pixels.end())) << Clear;
  }
}

TEST(GifDecoder, LZWStreamQuirksAreTolerated) {
  const auto Pixels = Pattern(40, 30, 16, 3);
  // No end code and no leading clear: decoding stops when the data runs out.
  auto NoEnd = DecodeRaw(EncodeGifLZW(Pixels, 4, true, false, false), 4, 40, 30);
  EXPECT_TRUE(AsVector(NoEnd.Pixels) == Pixels);
  // Many clears in a row, and clears between every code (table never grows).
  auto Simple = DecodeRaw(TGifWriter::PackCodes({16, 16, 16, 3, 16, 16, 5, 17}, 5), 4, 2, 1);
  EXPECT_EQ(AsVector(Simple.Pixels), (std::vector<uint8_t>{3, 5}));
  // An end code right after a clear ends an image with nothing in it.
  auto Empty = DecodeRaw(TGifWriter::PackCodes({16, 17}, 5), 4, 2, 1);
  EXPECT_EQ(Empty.PixelsDecoded, 0);
  EXPECT_EQ(AsVector(Empty.Pixels), (std::vector<uint8_t>{0, 0}));
  // A first code past the table reads as 0.
  auto First = DecodeRaw(TGifWriter::PackCodes({16, 30, 2, 17}, 5), 4, 2, 1);
  EXPECT_EQ(AsVector(First.Pixels), (std::vector<uint8_t>{0, 2}));
  // Data cut short: the delivered pixels are kept and the rest stays 0.
  auto Full = EncodeGifLZW(Pixels, 4);
  auto Short = DecodeRaw(std::vector<uint8_t>(Full.begin(), Full.begin() + long(Full.size() / 2)), 4, 40, 30);
  EXPECT_GT(Short.PixelsDecoded, 0);
  EXPECT_LT(Short.PixelsDecoded, int64_t(Pixels.size()));
  EXPECT_TRUE(std::equal(Pixels.begin(), Pixels.begin() + Short.PixelsDecoded, Short.Pixels.begin()));
  EXPECT_EQ(Short.Pixels.back(), 0);
  // More data than pixels: the extra is dropped.
  auto Extra = DecodeRaw(EncodeGifLZW(Pattern(40, 40, 16, 3), 4), 4, 40, 30);
  EXPECT_EQ(Extra.PixelsDecoded, 40 * 30);
}

TEST(GifDecoder, InterlacedImageMatchesItsPlainTwin) {
  for (int H : {1, 2, 3, 4, 5, 8, 9, 13, 17, 64}) {
    const auto Pixels = Pattern(11, H, 4, unsigned(H));
    TGifWriter Plain, Laced;
    Plain.Header(11, H, 4).Image(0, 0, 11, H, Pixels, false, 0, 2, true).Trailer();
    Laced.Header(11, H, 4).Image(0, 0, 11, H, Pixels, true, 0, 2, true).Trailer();
    TGif A, B;
    A.LoadFromBuffer(Plain.Bytes.data(), Plain.Bytes.size());
    B.LoadFromBuffer(Laced.Bytes.data(), Laced.Bytes.size());
    EXPECT_TRUE(B.Images[0]->Interlaced);
    EXPECT_TRUE(A.Images[0]->Pixels == B.Images[0]->Pixels) << "height " << H;
    EXPECT_TRUE(AsVector(A.Images[0]->Pixels) == Pixels) << "height " << H;
  }
}

TEST(GifDecoder, LocalTablesOverrideTheGlobalOne) {
  TGifWriter W;
  W.Header(2, 1, 4).Image(0, 0, 2, 1, {0, 3}).Image(0, 0, 2, 1, {0, 3}, false, 4).Trailer();
  TGif Gif;
  Gif.LoadFromBuffer(W.Bytes.data(), W.Bytes.size());
  ASSERT_EQ(Gif.ImageCount(), 2);
  EXPECT_EQ(Gif.ColorOf(0, 3), WriterColor(3));
  EXPECT_EQ(Gif.ColorOf(1, 3), WriterColor(255 - 3));
  EXPECT_TRUE(Gif.Images[1]->LocalTable);
  EXPECT_EQ(Gif.ColorOf(0, 200), 0u);  // past the 4-entry table
}

TEST(GifDecoder, AbsurdSizesAndCountsAreRefused) {
  {
    // 65535 x 65535 in one image: over the pixel budget, named in the message.
    TGifWriter W;
    W.Header(65535, 65535, 2).Raw({0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 0}).Trailer();
    const std::string Message = ErrorOf(W.Bytes);
    EXPECT_NE(Message.find("image too large"), std::string::npos) << Message;
    EXPECT_NE(Message.find(std::to_string(kGifMaxPixels)), std::string::npos) << Message;
  }
  {
    // Two 6000 x 6000 images, each alone within the budget, are refused together.
    TGifWriter W;
    W.Header(6000, 6000, 2);
    for (int I = 0; I < 2; ++I) W.Raw({0x2C, 0, 0, 0, 0, 0x70, 0x17, 0x70, 0x17, 0, 2, 0});
    W.Trailer();
    EXPECT_NE(ErrorOf(W.Bytes).find("image too large"), std::string::npos);
  }
  {
    TGifWriter W;
    W.Header(1, 1, 2);
    for (int I = 0; I <= kGifMaxImages; ++I) W.Raw({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 0});
    W.Trailer();
    EXPECT_NE(ErrorOf(W.Bytes).find("too many images"), std::string::npos);
  }
  {
    // A screen far wider than its frames: the composed screen alone is over the budget.
    TGifWriter W;
    W.Header(65535, 65535, 2).Image(0, 0, 1, 1, {0}).Trailer();
    bool IsStatic = false;
    EXPECT_EQ(LoadGifStream(W.Bytes.data(), W.Bytes.size(), IsStatic), nullptr);
  }
}
