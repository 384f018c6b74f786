// GIF data through the parser and the animation: frames composed one after another, a jump
// back, one frame's own picture, then the first frame reduced to a palette. Rejections are
// expected; crashes, leaks, hangs and out-of-bounds accesses are not.
#include <cstddef>
#include <cstdint>
#include <algorithm>

#include "images/dither.h"
#include "images/gif_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetGifMaxPixels(int64_t(1) << 18);
  std::unique_ptr<TGIFImage> image;
  try {
    image = ReadGifImage(data, size);
  } catch (const EGifError&) {
    return 0;
  }
  image->SwitchAnimation(true, 0);
  uint32_t now = 0, sum = 0;
  // Bounded work per input: big screens get fewer composed frames.
  const int64_t screen = int64_t(image->Width) * image->Height;
  const int64_t steps = std::min<int64_t>({int64_t(image->FrameCount) * 2, 64, (int64_t(1) << 20) / screen + 1});
  for (int step = 0; step < steps; ++step) {
    now += 1000;
    image->Tick(now);
    for (uint32_t p : image->RenderCurrent()) sum += p;
  }
  image->ShowFrame(int(size % 7) - 2);
  for (uint32_t p : image->RenderCurrent()) sum += p;
  for (uint32_t p : image->FramePicture(int(size % 5))) sum += p;
  const auto first = image->FirstFrameBitmap();
  std::vector<uint8_t> rows(first.size() * 4);
  for (size_t i = 0; i < first.size(); ++i) {
    rows[i * 4] = uint8_t(first[i] >> 16);
    rows[i * 4 + 1] = uint8_t(first[i] >> 8);
    rows[i * 4 + 2] = uint8_t(first[i]);
  }
  const TPixelRows source{rows.data(), image->Width, image->Height, ptrdiff_t(image->Width) * 4, 4};
  const int palette = int(sum % 6);
  const TMappedImage mapped = MapToPalette(source, palette, int(size & 1));
  if (mapped.BitsPerPixel == 8 && !mapped.Palette.empty())
    for (uint8_t index : mapped.Pixels)
      if (index >= mapped.Palette.size()) __builtin_trap();
  return 0;
}
