// The headless backend: no display, a virtual clock, an in-process clipboard, and a
// screen of a settable size. Tests drive it through toolkit/windows/headless/headless.h.
#pragma once

#include <memory>

#include "toolkit/windows/window_backend.h"

class THeadlessBackend : public TWindowBackend {
 public:
  const char* Name() const override { return "headless"; }
  uint64_t Now() override { return FNow; }
  bool ClockRunsByItself() const override { return false; }
  bool AdvanceClock(uint32_t ms) override;
  bool HasDisplay() const override { return false; }
  // Time passes only when asked: waiting jumps to the deadline.
  bool WaitForEvents(uint64_t deadline) override;
  void MessagesProcessed() override { FNow += FAutoStep; }
  void ShowCursor(HCURSOR cursor) override { FCursor = cursor; }
  void SetClipboardText(const std::string& text) override { FClipboard = text; }
  std::string GetClipboardText() override { return FClipboard; }
  TSize ScreenSize() override { return FScreen; }

  void SetNow(uint64_t now) { FNow = now; }
  void SetAutoStep(uint32_t ms) { FAutoStep = ms; }
  void SetScreenSize(TSize size) { FScreen = size; }
  HCURSOR ShownCursor() const { return FCursor; }

 private:
  uint64_t FNow = 0;
  uint32_t FAutoStep = 0;
  HCURSOR FCursor = nullptr;
  std::string FClipboard;
  TSize FScreen{1024, 768};
};

std::unique_ptr<TWindowBackend> CreateHeadlessBackend();
