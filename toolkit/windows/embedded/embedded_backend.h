// The embedded backend: no display, the real clock, and pictures of the top-level
// windows that a host shows in its own toolkit. Hosts drive it through
// toolkit/windows/embedded/embedded.h.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolkit/windows/embedded/embedded.h"
#include "toolkit/windows/window_backend.h"

class TEmbeddedBackend : public TWindowBackend {
 public:
  TEmbeddedBackend();
  const char* Name() const override { return "embedded"; }
  uint64_t Now() override;
  bool HasDisplay() const override { return false; }
  // The host's loop waits, never the library: nothing can arrive while it is inside.
  bool WaitForEvents(uint64_t) override { return false; }
  bool InputArrivesWhileBusy() const override { return false; }
  void MessagesProcessed() override;
  void PresentSurface(HWND topLevel, const uint32_t* pixels, int stride,
                      const TRect& rect) override;
  void TopLevelChanged(HWND topLevel, const TRect& screenRect, bool visible) override;
  void TopLevelDestroyed(HWND topLevel) override;
  void ShowCursor(HCURSOR cursor) override;
  void SetClipboardText(const std::string& text) override;
  std::string GetClipboardText() override;
  TSize ScreenSize() override { return {1920, 1080}; }

  void SetHooks(TEmbeddedHooks hooks) { FHooks = std::move(hooks); }
  TEmbeddedPicture Picture(HWND topLevel);
  uint64_t EventTime(uint32_t hostTime);
  void SetPointerWindow(HWND topLevel) { FPointerWindow = topLevel; }
  TPoint NextOrigin(int width);

 private:
  struct TPicture {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    TRect Damage;
  };
  // Copies rect (picture coordinates) from the window's surface and the popups over it.
  void Compose(HWND topLevel, TPicture& picture, const TRect& rect);
  // Makes the picture the size of the surface; true when it had to change.
  bool FitPicture(HWND topLevel, TPicture& picture);
  // Composes the part of every picture that a popup's screen rectangle covers.
  void ComposeUnder(const TRect& screenRect);

  uint64_t FStart = 0;
  int64_t FGap = 0;  // Now less the host's event clock, see EventTime
  bool FHaveGap = false;
  int FNextLeft = 0;  // where the next top-level window stands
  HWND FPointerWindow = nullptr;
  TEmbeddedHooks FHooks;
  std::string FClipboard;  // when the host keeps no clipboard
  std::unordered_map<HWND, TPicture> FPictures;
  std::vector<std::pair<HWND, TRect>> FPopups;  // shown popups, bottom first
};
