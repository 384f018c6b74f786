// qjxview FILE [--width W] [--height H] [--scroll Y] [--png OUT]
// Loads an HTML file into a viewer in a headless window of the given size and writes the
// window's pixels as PNG.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "toolkit/classes.h"
#include "toolkit/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: qjxview FILE [--width W] [--height H] [--scroll Y] [--png OUT]\n");
  return 2;
}

bool ReadInt(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < low || v > high) return false;
  value = int(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string file, png = "qjxview.png";
  int width = 800, height = 600, scroll = 0;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(arg, "--width") && hasValue) {
      if (!ReadInt(argv[++i], 16, 8000, width)) return Usage();
    } else if (!std::strcmp(arg, "--height") && hasValue) {
      if (!ReadInt(argv[++i], 16, 8000, height)) return Usage();
    } else if (!std::strcmp(arg, "--scroll") && hasValue) {
      if (!ReadInt(argv[++i], 0, 1 << 30, scroll)) return Usage();
    } else if (!std::strcmp(arg, "--png") && hasValue) {
      png = argv[++i];
    } else if (arg[0] == '-' || !file.empty()) {
      return Usage();
    } else {
      file = arg;
    }
  }
  if (file.empty()) return Usage();

  TCreateParams params;
  params.Width = width;
  params.Height = height;
  params.Style = WS_VISIBLE;
  params.Proc = &DefWindowProc;
  HWND host = CreateWindow(params);
  if (!host) {
    std::fprintf(stderr, "qjxview: cannot create a window of %dx%d\n", width, height);
    return 1;
  }
  try {
    THTMLViewer viewer(nullptr, host, 0, 0, width, height);
    viewer.LoadFromFile(file);
    viewer.SetVScrollPos(scroll);
    ProcessMessages();
    UpdateWindow(viewer.PaintPanel()->Handle());
    SaveWindowPng(host, png);
  } catch (const Exception& e) {
    std::fprintf(stderr, "qjxview: %s\n", e.Message.c_str());
    return 1;
  }
  DestroyWindow(host);
  return 0;
}
