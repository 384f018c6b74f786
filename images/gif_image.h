// A decoded GIF as the viewer shows it: the frame list with delays and disposal methods, each
// frame's own compressed data and colours, the screen composed so far, and the animation clock.
// Entry points for the image loader: LoadGifStream / LoadGifFile (nil on failure) and
// ReadGifImage (throws EGifError with the reason).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/types.h"
#include "images/gif_decoder.h"

// One frame of the animation.
struct TgfFrame {
  int Disposal = 0;  // 0 none, 1 leave, 2 restore the background, 3 restore the previous picture
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Delay = 0;     // milliseconds, at least 30
  bool Transparent = false;
};

// A pixel of the composed picture: 0xAABBGGRR, alpha 0 (shows the page) or 255.
constexpr uint32_t kGifClearPixel = 0;
inline uint32_t GifOpaque(TColor C) { return uint32_t(C & 0xFFFFFF) | 0xFF000000u; }

class TGIFImage {
 public:
  TGIFImage() = default;
  TGIFImage& operator=(const TGIFImage&) = delete;
  // A copy with an animation state of its own (each use of a picture plays on its own); the
  // frames, which never change once read, are shared with this image rather than copied.
  std::unique_ptr<TGIFImage> Clone() const { return std::unique_ptr<TGIFImage>(new TGIFImage(*this)); }
  // Whether Other plays the very frames this image holds (one is a clone of the other).
  bool SharesFramesWith(const TGIFImage& Other) const { return FStore && FStore == Other.FStore; }

  // Reads a GIF file held in memory (which may be dropped afterwards); throws EGifError (or
  // std::bad_alloc) when it cannot, leaving no frames.
  void LoadFromBuffer(const uint8_t* Data, size_t Size);

  int Width = 0, Height = 0;  // the logical screen
  int FrameCount = 0;
  bool Animated = false;
  int LoopCount = 0;          // 0 loops for ever; otherwise passes through the frames
  bool Transparent = false;   // some frame has a transparent colour
  bool Visible = true;

  // Frames are numbered from 1.
  const TgfFrame& Frame(int N) const { return FStore->Frames[size_t(N - 1)]; }
  int CurrentFrame() const { return FCurrentFrame; }
  int CurrentLoop() const { return FCurrentLoop; }
  int CurrentInterval() const { return FCurrentInterval; }
  bool Animating() const { return FAnimate; }
  int PendingDisposal() const { return FPendingDisposal; }

  // Whether FirstFrameMask gives a mask: some frame has a transparent colour.
  bool MaskUsed() const { return Transparent; }

  // The first frame alone (Width x Height, 0x00BBGGRR), from the top-left and cut to the
  // screen, black past its edges; and its mask, 1 where its transparent index leaves the page
  // showing (empty when nothing in the file is transparent).
  std::vector<uint32_t> FirstFrameBitmap() const;
  std::vector<uint8_t> FirstFrameMask() const;

  // Frame N alone at its place on a clear screen (Width x Height, 0xAABBGGRR).
  std::vector<uint32_t> FramePicture(int N) const;

  // Bytes the image holds: the frames' compressed data and colours, the frame list (shared
  // with its clones, counted in each), the composed screen and the one frame kept decoded.
  size_t MemoryBytes() const;
  // Of those, the bytes of the frames shared with clones.
  size_t FrameStoreBytes() const;

  // Animation on a millisecond clock: the caller passes the time of the toolkit's clock.
  void SwitchAnimation(bool On, uint32_t Now);
  // Advances when the current interval has elapsed; true when the frame changed, and then
  // the caller invalidates LastRect.
  bool Tick(uint32_t Now);
  void ShowFrame(int N);
  TRect LastRect;  // where the image was last painted

  // The picture of the current frame (Width x Height, 0xAABBGGRR): the frames before it
  // composed by their disposal methods over a clear background, with this frame on top.
  // Painting scales this over the page; it does not change the animation state (it may
  // decode the current frame, which is kept for the next call).
  void RenderCurrent(uint32_t* Out) const;
  std::vector<uint32_t> RenderCurrent() const;

 private:
  // Where a frame's data lies: its LZW bytes in Data, its colours in Colors.
  struct TFrameData {
    size_t Start = 0, Size = 0;
    size_t Colors = 0;
    int ColorCount = 0;
    int CodeSize = 0;
    bool Interlaced = false;
    int TransparentIndex = -1;  // -1 for none
  };

  // What the file holds, read once and shared by the clones: never changed after reading.
  struct TFrameStore {
    std::vector<TgfFrame> Frames;
    std::vector<TFrameData> FrameData;
    // Every frame's compressed data back to back: the frames keep no more than the file held.
    std::vector<uint8_t> Data;
    std::vector<uint32_t> Colors;
    size_t GlobalColors = SIZE_MAX;  // where the file's global table lies in Colors, once used
  };

  // Adds an image as the next frame of Store; FramePixels counts the pixels of all frames so far.
  void AddFrame(TFrameStore& Store, const TGif& Gif, const TGifImageRecord& Image, const uint8_t* Lzw,
                size_t LzwSize, int64_t& FramePixels);
  // Frame N's colour indices, row by row at the frame's width (rows below the screen may be
  // left out), decoded unless they are the last ones decoded.
  const TGifPixels& FrameIndices(int N) const;
  // Frame N's colours (0x00BBGGRR) for every index, black past its table.
  void FrameColors(int N, uint32_t (&Colors)[256]) const;
  void DisposeCurrentInto(uint32_t* Canvas) const;
  void DrawFrameInto(int N, uint32_t* Canvas) const;
  void AdvanceComposite();
  void RebuildComposite();

  std::shared_ptr<const TFrameStore> FStore = std::make_shared<const TFrameStore>();
  // The last frame decoded, so that painting a frame again, or composing it into the screen
  // after painting it, does not decode it twice.
  mutable TGifImageRecord FDecoded;
  mutable int FDecodedFrame = 0;
  int FCurrentFrame = 1;
  bool FAnimate = false;
  int FCurrentLoop = 1;
  uint32_t FLastTime = 0;
  int FCurrentInterval = 1;
  int FPendingDisposal = 0;
  // The screen as it stands before the current frame is drawn: earlier frames applied with
  // their disposal methods. Frame 1 starts from a clear screen; empty while all clear.
  std::vector<uint32_t> FComposite;

  TGIFImage(const TGIFImage&) = default;
};

// What a hostile file can cost. The frames keep their compressed data only, never more than the
// file, and are decoded one at a time when shown: one frame (and the screen) may take
// GifMaxPixels, and all frames together sixteen times that, which bounds the work of one pass
// through the animation.
inline int64_t GifMaxAnimationPixels() { return 16 * GifMaxPixels(); }

// Decodes a GIF held in memory; throws EGifError (or std::bad_alloc) when it cannot.
std::unique_ptr<TGIFImage> ReadGifImage(const uint8_t* Data, size_t Size);

// As ReadGifImage, but any failure gives nil. IsStatic is true for fewer than two frames.
std::unique_ptr<TGIFImage> LoadGifStream(const uint8_t* Data, size_t Size, bool& IsStatic);
std::unique_ptr<TGIFImage> LoadGifFile(const std::string& FileName, bool& IsStatic);

// The animation delay of a frame in milliseconds from its graphic-control delay in
// hundredths of a second: zero or missing counts as 1, and no frame shows under 30 ms.
int GifFrameDelay(const TGifGraphicControl& Control);
