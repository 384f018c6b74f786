// A viewer in a host window of 1024 x 768 for the benchmarks: load a page, paint the band
// in view.
#pragma once

#include <memory>
#include <string>

#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

struct TBenchViewerWindow {
  HWND Host;
  std::unique_ptr<THTMLViewer> Viewer;
  TBenchViewerWindow() {
    TCreateParams params;
    params.Width = 1024;
    params.Height = 768;
    params.Style = WS_VISIBLE;
    params.Proc = &DefWindowProc;
    Host = CreateWindow(params);
    Viewer = std::make_unique<THTMLViewer>(nullptr, Host, 0, 0, 1024, 768);
  }
  ~TBenchViewerWindow() {
    Viewer.reset();
    DestroyWindow(Host);
  }
  void Load(const std::string& Html) { Viewer->LoadFromBuffer(Html.data(), int(Html.size())); }
  void Paint() {
    HWND panel = Viewer->PaintPanel()->Handle();
    InvalidateRect(panel, nullptr);
    UpdateWindow(panel);
  }
};
