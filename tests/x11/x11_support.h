// What the display tests share: the switch to the X11 backend, X events sent from a
// second connection, and PNG files read back.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/windows/window.h"
#include "toolkit/windows/window_backend.h"
#include "toolkit/windows/x11/x11_backend.h"

// Last: its macros would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

// True when an X display runs and the library uses it.
inline bool DisplayRuns() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return false;
  setenv("QJX_BACKEND", "x11", 1);
  return std::string(WindowBackend().Name()) == "x11";
}

// Sends X events from a second connection, as another program (or the server) would.
struct TSender {
  Display* D = XOpenDisplay(nullptr);
  Time Clock = 200000;
  ~TSender() {
    if (D) XCloseDisplay(D);
  }
  // A press and a release: of a key (Detail a key code) or of button 1 at (X, Y).
  void Send(Window Target, bool IsKey, unsigned Detail, int X = 0, int Y = 0) {
    for (bool press : {true, false}) {
      XEvent event{};
      XButtonEvent& e = event.xbutton;  // key events share its layout up to the detail
      e.type = IsKey ? (press ? KeyPress : KeyRelease) : (press ? ButtonPress : ButtonRelease);
      e.display = D;
      e.window = Target;
      e.root = DefaultRootWindow(D);
      e.time = Clock += 1000;
      e.x = X;
      e.y = Y;
      e.same_screen = True;
      if (IsKey) event.xkey.keycode = Detail;
      else e.button = Detail;
      const long mask = IsKey ? (press ? KeyPressMask : KeyReleaseMask)
                              : (press ? ButtonPressMask : ButtonReleaseMask);
      XSendEvent(D, Target, False, mask, &event);
    }
  }
  void Key(Window Target, KeySym Sym) { Send(Target, true, XKeysymToKeycode(D, Sym)); }
  void Click(Window Target, int X, int Y) { Send(Target, false, Button1, X, Y); }
  // Lets the backend read and handle what was sent until Done says so (or a second passes).
  template <typename F>
  void Deliver(F Done) {
    XSync(D, False);
    for (int round = 0; round < 20 && !Done(); ++round)
      WindowBackend().WaitForEvents(WindowBackend().Now() + 50);
    ProcessMessages();
  }
};

// The pixels of a PNG file as 0xRRGGBB, row by row; empty when it cannot be read.
inline std::vector<uint32_t> ReadPng(const std::string& File, int& Width, int& Height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, File.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  Width = int(image.width);
  Height = int(image.height);
  std::vector<uint32_t> pixels(size_t(Width) * size_t(Height));
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
  return pixels;
}

// Pixels in which the X server's picture of a top-level window differs from what the
// library painted; -1 when the sizes differ.
inline int DifferingPixels(HWND TopLevel) {
  TWindowPixels shown = CaptureDisplayedWindow(TopLevel);
  TWindowPixels painted = CaptureWindowPixels(TopLevel);
  if (shown.Width != painted.Width || shown.Height != painted.Height) return -1;
  int differing = 0;
  for (size_t i = 0; i < shown.Pixels.size(); ++i)
    differing += (shown.Pixels[i] & 0xFFFFFF) != (painted.Pixels[i] & 0xFFFFFF);
  return differing;
}
