// A viewer in a visible host window of the headless backend, 420 x 300, without scroll
// bars, on a white page: where the viewer tests that read pixels start.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

class TViewerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TCreateParams params;
    params.Width = 420;
    params.Height = 300;
    params.Style = WS_VISIBLE;
    params.Proc = &DefWindowProc;
    FHost = CreateWindow(params);
    FViewer = std::make_unique<THTMLViewer>(nullptr, FHost, 0, 0, 420, 300);
    FViewer->SetScrollBars(ssNone);
    FViewer->SetDefBackground(clWhite);
  }
  void TearDown() override {
    FViewer.reset();
    DestroyWindow(FHost);
  }
  void Load(const std::string& Html) { FViewer->LoadFromBuffer(Html.data(), int(Html.size())); }
  // The paint panel painted whole, its pixels as RGB.
  TWindowPixels Shot() {
    HWND panel = FViewer->PaintPanel()->Handle();
    InvalidateRect(panel, nullptr);
    UpdateWindow(panel);
    TWindowPixels shot = CaptureWindowPixels(panel);
    for (uint32_t& p : shot.Pixels) p &= 0xFFFFFF;
    return shot;
  }
  uint32_t Pixel(int X, int Y) { return Shot().At(X, Y); }

  HWND FHost = nullptr;
  std::unique_ptr<THTMLViewer> FViewer;
};
