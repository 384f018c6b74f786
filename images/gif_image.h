// A decoded GIF as the viewer shows it: every frame side by side in one wide strip with its
// transparency mask, the frame list with delays and disposal methods, and the animation
// clock. Entry points for the image loader: LoadGifStream / LoadGifFile (nil on failure) and
// ReadGifImage (throws EGifError with the reason).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "images/gif_decoder.h"
#include "toolkit/types.h"

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
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  // Builds the image from a parsed file (the file may be dropped afterwards).
  void Assign(const TGif& Gif);

  int Width = 0, Height = 0;  // the logical screen
  int FrameCount = 0;
  bool Animated = false;
  int LoopCount = 0;          // 0 loops for ever; otherwise passes through the frames
  bool Transparent = false;   // some frame has a transparent colour
  bool Visible = true;

  // Frames are numbered from 1.
  const TgfFrame& Frame(int N) const { return FFrames[size_t(N - 1)]; }
  int CurrentFrame() const { return FCurrentFrame; }
  int CurrentLoop() const { return FCurrentLoop; }
  int CurrentInterval() const { return FCurrentInterval; }
  bool Animating() const { return FAnimate; }
  int PendingDisposal() const { return FPendingDisposal; }

  // The strip: (Width x FrameCount) by Height pixels, 0x00BBGGRR, frame N from column
  // Width x (N - 1), top-left aligned and cut to the screen size. The mask is one byte per
  // pixel, 1 where the frame's transparent index (or undecoded data) leaves the pixel clear.
  int StripWidth() const { return Width * FrameCount; }
  const std::vector<uint32_t, TDefaultInitAllocator<uint32_t>>& StripPixels() const { return FStrip; }
  const std::vector<uint8_t>& StripMask() const { return FStripMask; }
  bool MaskUsed() const { return !FStripMask.empty(); }

  // The first frame alone (Width x Height), and its mask (empty when nothing is transparent).
  std::vector<uint32_t> FirstFrameBitmap() const;
  std::vector<uint8_t> FirstFrameMask() const;

  // Animation on a millisecond clock: the caller passes the time of the toolkit's clock.
  void SwitchAnimation(bool On, uint32_t Now);
  // Advances when the current interval has elapsed; true when the frame changed, and then
  // the caller invalidates LastRect.
  bool Tick(uint32_t Now);
  void ShowFrame(int N);
  TRect LastRect;  // where the image was last painted

  // The picture of the current frame (Width x Height, 0xAABBGGRR): the frames before it
  // composed by their disposal methods over a clear background, with this frame on top.
  // Painting scales this over the page; it does not change the animation state.
  void RenderCurrent(uint32_t* Out) const;
  std::vector<uint32_t> RenderCurrent() const;

 private:
  void DisposeCurrentInto(uint32_t* Canvas) const;
  void DrawFrameInto(int N, uint32_t* Canvas) const;
  void AdvanceComposite();
  void RebuildComposite();

  std::vector<TgfFrame> FFrames;
  std::vector<uint32_t, TDefaultInitAllocator<uint32_t>> FStrip;
  std::vector<uint8_t> FStripMask;
  int FCurrentFrame = 1;
  bool FAnimate = false;
  int FCurrentLoop = 1;
  uint32_t FLastTime = 0;
  int FCurrentInterval = 1;
  int FPendingDisposal = 0;
  // The screen as it stands before the current frame is drawn: earlier frames applied with
  // their disposal methods. Frame 1 starts from a clear screen; empty while all clear.
  std::vector<uint32_t> FComposite;
};

// Decodes a GIF held in memory; throws EGifError (or std::bad_alloc) when it cannot.
std::unique_ptr<TGIFImage> ReadGifImage(const uint8_t* Data, size_t Size);

// As ReadGifImage, but any failure gives nil. IsStatic is true for fewer than two frames.
std::unique_ptr<TGIFImage> LoadGifStream(const uint8_t* Data, size_t Size, bool& IsStatic);
std::unique_ptr<TGIFImage> LoadGifFile(const std::string& FileName, bool& IsStatic);

// The animation delay of a frame in milliseconds from its graphic-control delay in
// hundredths of a second: zero or missing counts as 1, and no frame shows under 30 ms.
int GifFrameDelay(const TGifGraphicControl& Control);
