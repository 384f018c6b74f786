// A host that embeds viewers the way a toolkit does: the library in its embedded mode,
// the host's procedures recording damage, cursors and the clipboard.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "include/qjxhtml.h"
#include "include/qjxhtml_host.h"

class THTMLViewer;

struct TPixelsCopy {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;
  uint32_t At(int X, int Y) const { return Pixels[size_t(Y) * size_t(Width) + size_t(X)]; }
};

class EmbedHost : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A host window with a viewer showing Html, laid out and painted.
  HWND ShowPage(const std::string& Html, int Width = 400, int Height = 300);
  THTMLViewer* Viewer(HWND Host) const;
  // The window of the form control whose value is Value.
  HWND ControlWindow(HWND Host, const std::string& Value) const;
  // The window of the first drop-down list control.
  HWND SelectWindow(HWND Host) const;
  // A window's rectangle in the host window's client coordinates.
  TQjxRect RectIn(HWND Host, HWND Child) const;
  // The host point of a link to Url, found by looking; false when there is none.
  bool LinkPoint(HWND Host, const std::string& Url, int* X, int* Y) const;
  TPixelsCopy Pixels(HWND Host) const;
  // Runs the library's due work as a toolkit's timer would, for about Milliseconds.
  void RunFor(int Milliseconds);
  // The union of the damage told since the last call, and forgets it.
  TQjxRect TakeDamage();


 public:
  // Told by the library.
  static std::vector<TQjxRect> Damage;
  static std::vector<int> Cursors;
  static std::vector<std::string> Copied;
  static std::string ClipboardText;  // what the host's clipboard holds for a paste
  static std::vector<std::string> Submitted;  // pairs of each form submission, joined by |
  static std::vector<std::string> DoubleClicked;
  static std::vector<std::string> Links;  // the targets of link clicks
  static std::vector<uint8_t> ImageData;  // the answer to every image request
  static int Timers;                       // WM_TIMER messages the host windows got

 protected:
 private:
  static intptr_t HostProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam);
  std::vector<HWND> FWindows;
};

// An address that can certainly be neither read nor written.
const void* UnmappedPixels();
// A clipboard reader that finds nothing.
const char* OnPasteNothing(void*);
// Whether Inner lies inside Outer.
bool Covers(const TQjxRect& Outer, const TQjxRect& Inner);
// Every pixel that differs between two pictures of one size lies inside Rect.
bool ChangesInside(const TPixelsCopy& Before, const TPixelsCopy& After, const TQjxRect& Rect);
// The bounding box of the pixels that differ (empty when none does).
TQjxRect ChangedBounds(const TPixelsCopy& Before, const TPixelsCopy& After);
