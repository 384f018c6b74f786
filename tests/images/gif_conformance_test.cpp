// The GIF test suite of the corpus: every file decoded and compared with its description
// (size, frames, delays, loop count) and with its expected composed frames.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "images/gif_image.h"
#include "tests/images/gif_test_files.h"

namespace {

using TSection = std::map<std::string, std::string>;

std::string Trim(const std::string& S) {
  size_t B = S.find_first_not_of(" \t\r"), E = S.find_last_not_of(" \t\r");
  return B == std::string::npos ? std::string() : S.substr(B, E - B + 1);
}

std::map<std::string, TSection> ReadConf(const std::string& Path) {
  std::map<std::string, TSection> Conf;
  std::ifstream In(Path);
  std::string Line, Section;
  while (std::getline(In, Line)) {
    Line = Trim(Line);
    if (Line.empty() || Line[0] == '#') continue;
    if (Line[0] == '[') {
      Section = Line.substr(1, Line.find(']') - 1);
      continue;
    }
    size_t Eq = Line.find('=');
    if (Eq != std::string::npos) Conf[Section][Trim(Line.substr(0, Eq))] = Trim(Line.substr(Eq + 1));
  }
  return Conf;
}

std::vector<std::string> SplitList(const std::string& S) {
  std::vector<std::string> Out;
  std::stringstream SS(S);
  std::string Item;
  while (std::getline(SS, Item, ',')) {
    Item = Trim(Item);
    if (!Item.empty()) Out.push_back(Item);
  }
  return Out;
}

std::string SuiteDir() { return GifCorpusDir() + "pygif-test-suite/"; }

std::vector<std::string> SuiteTests() {
  std::vector<std::string> Names;
  std::ifstream In(SuiteDir() + "TESTS");
  std::string Line;
  while (std::getline(In, Line))
    if (!Trim(Line).empty()) Names.push_back(Trim(Line));
  return Names;
}

// Files where this decoder deliberately differs from the suite's expectation:
// - no-data: a file without any image is no picture at all (the loader shows its
//   broken-image sign) rather than one clear pixel.
// - invalid-colors: indices past the colour table show black instead of failing the file.
// - image-zero-*: the file ends inside its image block, and truncated files are rejected.
// - plain-text: plain-text blocks are skipped, so the image under them shows.
const std::set<std::string> kDivergent = {"no-data", "invalid-colors", "image-zero-width", "image-zero-height",
                                          "image-zero-size", "plain-text"};

// The suite's frames: consecutive images without a delay draw together as one frame, unless
// the file is to be animated anyway. Gives the 1-based image number that completes each frame.
std::vector<int> FrameEnds(const TGif& Gif, bool ForceAnimation) {
  std::vector<int> Ends;
  for (int I = 0; I < Gif.ImageCount(); ++I) {
    const TGifImageRecord& Image = *Gif.Images[size_t(I)];
    bool Last = I + 1 == Gif.ImageCount();
    if (Last || ForceAnimation || (Image.Control.Present && Image.Control.Delay > 0)) Ends.push_back(I + 1);
  }
  return Ends;
}

std::vector<uint8_t> ExpectedFrame(const TSection& Frame, int W, int H) {
  auto Pixels = Frame.find("pixels");
  if (Pixels != Frame.end()) return ReadFileBytes(SuiteDir() + Pixels->second);
  auto Image = Frame.find("image");
  if (Image == Frame.end()) return {};
  int PW = 0, PH = 0;
  auto Out = ReadPngRGBA(SuiteDir() + Image->second, PW, PH);
  if (PW != W || PH != H) return {};
  return Out;
}

}  // namespace

TEST(GifConformance, SuiteFilesDecodeToTheirDescribedFrames) {
  SKIP_WITHOUT_SHARED_CORPUS("images/gif/pygif-test-suite");
  const auto Names = SuiteTests();
  ASSERT_GT(Names.size(), 80u) << "suite not found under " << SuiteDir();
  int Compared = 0;
  for (const auto& Name : Names) {
    SCOPED_TRACE(Name);
    auto Conf = ReadConf(SuiteDir() + Name + ".conf");
    TSection& Config = Conf["config"];
    const auto Data = ReadFileBytes(SuiteDir() + Config["input"]);
    const auto Frames = SplitList(Config["frames"]);
    if (kDivergent.count(Name)) continue;

    std::unique_ptr<TGif> Gif = std::make_unique<TGif>();
    std::unique_ptr<TGIFImage> Image;
    try {
      Gif->LoadFromBuffer(Data.data(), Data.size());
      Image = ReadGifImage(Data.data(), Data.size());
    } catch (const EGifError& E) {
      EXPECT_TRUE(Frames.empty()) << "rejected: " << E.what();
      continue;
    }
    if (Frames.empty()) {
      ADD_FAILURE() << "decoded although the suite expects no frames";
      continue;
    }
    const int W = std::stoi(Config["width"]), H = std::stoi(Config["height"]);
    EXPECT_EQ(Image->Width, W);
    EXPECT_EQ(Image->Height, H);

    const std::string Loop = Config["loop-count"];
    // "infinite" is a loop block with count 0, or (for files animated without one) none.
    const bool Forced = Config["force-animation"] == "yes";
    if (Loop == "infinite") {
      EXPECT_EQ(Image->LoopCount, 0);
      EXPECT_EQ(Gif->LoopCount, Forced ? Gif->LoopCount : 0);
    } else {
      EXPECT_EQ(Gif->LoopCount, Loop == "0" ? -1 : std::stoi(Loop));
    }

    const auto Ends = FrameEnds(*Gif, Forced);
    ASSERT_EQ(Ends.size(), Frames.size());
    for (size_t F = 0; F < Frames.size(); ++F) {
      SCOPED_TRACE(Frames[F]);
      const TSection& Frame = Conf[Frames[F]];
      auto Delay = Frame.find("delay");
      if (Delay != Frame.end()) {
        const auto& Control = Gif->Images[size_t(Ends[F] - 1)]->Control;
        EXPECT_EQ(Control.Delay, std::stoi(Delay->second));
      }
      Image->ShowFrame(Ends[F]);
      const auto Picture = Image->RenderCurrent();
      const auto Expected = ExpectedFrame(Frame, W, H);
      ASSERT_EQ(Expected.size(), size_t(W) * size_t(H) * 4);
      int Wrong = 0;
      for (size_t P = 0; P < Picture.size(); ++P) {
        const uint8_t* E = &Expected[P * 4];
        const uint32_t Got = Picture[P];
        const bool Clear = (Got >> 24) == 0;
        const bool Same = E[3] == 0 ? Clear
                                    : !Clear && (Got & 0xFF) == E[0] && ((Got >> 8) & 0xFF) == E[1] &&
                                          ((Got >> 16) & 0xFF) == E[2];
        Wrong += !Same;
      }
      EXPECT_EQ(Wrong, 0) << "pixels differ from the expected frame";
      ++Compared;
    }
  }
  EXPECT_GT(Compared, 60);
}

TEST(GifConformance, DivergentFilesGiveTheDocumentedFallback) {
  {
    const auto Data = ReadFileBytes(GifDataDir() + "pygif-test-suite/no-data.gif");
    bool IsStatic = false;
    EXPECT_EQ(LoadGifStream(Data.data(), Data.size(), IsStatic), nullptr);
    try {
      ReadGifImage(Data.data(), Data.size());
      ADD_FAILURE() << "no exception";
    } catch (const EGifError& E) {
      EXPECT_STREQ(E.what(), "TGif: No Image Description");
    }
  }
  for (const char* Name : {"image-zero-width.gif", "image-zero-size.gif"}) {
    const auto Data = ReadFileBytes(GifDataDir() + "pygif-test-suite/" + Name);
    bool IsStatic = false;
    EXPECT_EQ(LoadGifStream(Data.data(), Data.size(), IsStatic), nullptr) << Name;
  }
  {
    const auto Data = ReadFileBytes(GifDataDir() + "pygif-test-suite/plain-text.gif");
    auto Image = ReadGifImage(Data.data(), Data.size());
    ASSERT_NE(Image, nullptr);
    EXPECT_EQ(Image->FrameCount, 1);
  }
  {
    const auto Data = ReadFileBytes(GifDataDir() + "pygif-test-suite/invalid-colors.gif");
    auto Image = ReadGifImage(Data.data(), Data.size());
    ASSERT_NE(Image, nullptr);
    EXPECT_EQ(Image->RenderCurrent()[0], 0xFF000000u);
  }
}
