// The corpus files compared with a reference decoder (giflib, linked into the tests only):
// raw frames, positions, delays, disposal methods, transparency and loop counts, and the
// viewer's frames against them. Broken files must give an exception or a partial image, never
// a crash or a hang.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include "images/gif_image.h"
#include "tests/images/gif_test_files.h"

namespace {

struct TReference {
  bool Ok = false;
  int Width = 0, Height = 0, LoopCount = -1;
  struct TFrame {
    int Left, Top, Width, Height, Delay, Disposal, Transparent;
    std::vector<uint8_t> Pixels;
  };
  std::vector<TFrame> Frames;
};

TReference ReadReference(const std::string& Path) {
  TReference Ref;
  int Error = 0;
  GifFileType* File = DGifOpenFileName(Path.c_str(), &Error);
  if (!File) return Ref;
  if (DGifSlurp(File) == GIF_OK) {
    Ref.Ok = true;
    Ref.Width = File->SWidth;
    Ref.Height = File->SHeight;
    for (int I = 0; I < File->ImageCount; ++I) {
      const SavedImage& Saved = File->SavedImages[I];
      TReference::TFrame F{Saved.ImageDesc.Left, Saved.ImageDesc.Top, Saved.ImageDesc.Width,
                           Saved.ImageDesc.Height, 0, 0, -1, {}};
      GraphicsControlBlock Control;
      if (DGifSavedExtensionToGCB(File, I, &Control) == GIF_OK) {
        F.Delay = Control.DelayTime;
        F.Disposal = Control.DisposalMode;
        F.Transparent = Control.TransparentColor;
      }
      F.Pixels.assign(Saved.RasterBits, Saved.RasterBits + size_t(F.Width) * size_t(F.Height));
      for (int B = 0; B + 1 < Saved.ExtensionBlockCount; ++B) {
        const ExtensionBlock& E = Saved.ExtensionBlocks[B];
        const ExtensionBlock& Next = Saved.ExtensionBlocks[B + 1];
        if (E.Function == APPLICATION_EXT_FUNC_CODE && E.ByteCount == 11 &&
            (!std::memcmp(E.Bytes, "NETSCAPE2.0", 11) || !std::memcmp(E.Bytes, "ANIMEXTS1.0", 11)) &&
            Next.Function == CONTINUE_EXT_FUNC_CODE && Next.ByteCount == 3 && Next.Bytes[0] == 1)
          Ref.LoopCount = Next.Bytes[1] | (Next.Bytes[2] << 8);
      }
      Ref.Frames.push_back(std::move(F));
    }
  }
  DGifCloseFile(File, &Error);
  return Ref;
}

std::vector<std::string> FilesUnder(const std::string& Dir) {
  std::vector<std::string> Out;
  for (const auto& Entry : std::filesystem::recursive_directory_iterator(Dir))
    if (Entry.is_regular_file() && Entry.path().extension() == ".gif") Out.push_back(Entry.path().string());
  std::sort(Out.begin(), Out.end());
  return Out;
}

// Files the reference reads but this decoder rejects on purpose.
bool RejectedOnPurpose(const std::string& Path, const std::string& Reason) {
  // A screen of 0 pixels, or one beyond the pixel budget, is no picture to show; an image
  // without any colour table has no colours to show.
  for (const char* Text : {"Invalid Bitmap Image", "too large", "No Local or Global Color Table"})
    if (Reason.find(Text) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST(GifOracle, CorpusFramesMatchTheReferenceDecoder) {
  SKIP_WITHOUT_SHARED_CORPUS("images/gif/pillow");
  int Compared = 0;
  for (const char* Set : {"pillow", "image-gif"}) {
    for (const auto& Path : FilesUnder(GifCorpusDir() + Set)) {
      SCOPED_TRACE(Path.substr(GifCorpusDir().size()));
      const auto Data = ReadFileBytes(Path);
      const TReference Ref = ReadReference(Path);
      TGif Gif;
      try {
        Gif.LoadFromBuffer(Data.data(), Data.size());
      } catch (const EGifError& E) {
        if (Ref.Ok && !Ref.Frames.empty()) {
          EXPECT_TRUE(RejectedOnPurpose(Path, E.what())) << "reference reads it; we say " << E.what();
        }
        continue;
      }
      if (!Ref.Ok) continue;  // a file we read whole that the reference gives up on
      ASSERT_EQ(Gif.ImageCount(), int(Ref.Frames.size()));
      EXPECT_EQ(Gif.ScreenWidth, Ref.Width);
      EXPECT_EQ(Gif.ScreenHeight, Ref.Height);
      EXPECT_EQ(Gif.LoopCount, Ref.LoopCount);
      for (int I = 0; I < Gif.ImageCount(); ++I) {
        SCOPED_TRACE(I);
        const TGifImageRecord& Ours = *Gif.Images[size_t(I)];
        const auto& Theirs = Ref.Frames[size_t(I)];
        EXPECT_EQ(Ours.Left, Theirs.Left);
        EXPECT_EQ(Ours.Top, Theirs.Top);
        EXPECT_EQ(Ours.Width, Theirs.Width);
        EXPECT_EQ(Ours.Height, Theirs.Height);
        EXPECT_EQ(Ours.Control.Delay, Theirs.Delay);
        EXPECT_EQ(Ours.Control.Disposal, Theirs.Disposal);
        EXPECT_EQ(Ours.Control.Transparent ? Ours.Control.TransparentIndex : -1, Theirs.Transparent);
        // The reference leaves undecoded pixels undefined; compare what the data delivered.
        const size_t Decoded = Ours.Interlaced ? Ours.Pixels.size() : size_t(Ours.PixelsDecoded);
        ASSERT_EQ(Ours.Pixels.size(), Theirs.Pixels.size());
        EXPECT_TRUE(std::equal(Ours.Pixels.begin(), Ours.Pixels.begin() + long(Decoded), Theirs.Pixels.begin()))
            << "pixels differ";
        ++Compared;
      }
      // The viewer's image decodes each frame again from its kept data when it is shown: its
      // frames are the decoded images placed on the screen.
      auto Image = ReadGifImage(Data.data(), Data.size());
      for (int I = 0; I < Gif.ImageCount(); ++I) {
        const TGifImageRecord& Record = *Gif.Images[size_t(I)];
        std::vector<uint32_t> Expected(size_t(Gif.ScreenWidth) * size_t(Gif.ScreenHeight), kGifClearPixel);
        for (int Y = 0; Y < Record.Height && Record.Top + Y < Gif.ScreenHeight; ++Y)
          for (int X = 0; X < Record.Width && Record.Left + X < Gif.ScreenWidth; ++X) {
            const uint8_t Index = Record.Pixels[size_t(Y) * size_t(Record.Width) + size_t(X)];
            if (!Record.Control.Transparent || Index != Record.Control.TransparentIndex)
              Expected[size_t(Record.Top + Y) * size_t(Gif.ScreenWidth) + size_t(Record.Left + X)] =
                  Gif.ColorOf(I, Index) | 0xFF000000u;
          }
        EXPECT_TRUE(Image->FramePicture(I + 1) == Expected) << "frame " << I + 1 << " differs";
      }
    }
  }
  EXPECT_GT(Compared, 300);
}

TEST(GifOracle, BrokenFilesFailCleanlyOrGivePartialImages) {
  SKIP_WITHOUT_SHARED_CORPUS("images/gif/image-gif");
  for (const char* Set : {"derived", "image-gif/crashtest", "image-gif/stall", "image-gif/regression", "pillow"}) {
    for (const auto& Path : FilesUnder(GifCorpusDir() + Set)) {
      SCOPED_TRACE(Path);
      const auto Data = ReadFileBytes(Path);
      // Every prefix of the file, in coarse steps for big files: none may crash or hang.
      const size_t Step = std::max<size_t>(1, Data.size() / 64);
      const auto Start = std::chrono::steady_clock::now();
      for (size_t N = 0; N <= Data.size(); N += Step) {
        bool IsStatic = false;
        auto Image = LoadGifStream(Data.data(), N, IsStatic);
        if (Image) {
          EXPECT_GT(Image->FrameCount, 0);
          EXPECT_EQ(Image->RenderCurrent().size(), size_t(Image->Width) * size_t(Image->Height));
        }
      }
      EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(20));
    }
  }
}

TEST(GifOracle, TruncatedCorpusFilesGiveNoImage) {
  for (const char* Name : {"derived/hopper-cut9000.gif", "derived/interlaced-cut8000.gif"}) {
    const auto Data = ReadFileBytes(GifDataDir() + Name);
    try {
      ReadGifImage(Data.data(), Data.size());
      ADD_FAILURE() << Name << " decoded";
    } catch (const EGifError& E) {
      EXPECT_STREQ(E.what(), "TGif: Unexpected end of file") << Name;
    }
  }
}
