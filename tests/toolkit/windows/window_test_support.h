// Test windows that log their messages and can run a handler per message.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"

struct TLogged {
  HWND Window;
  unsigned Msg;
  WPARAM WParam;
  LPARAM LParam;
};

// One probe per window: the user data of the window.
struct TProbe {
  std::vector<TLogged>* Log = nullptr;
  // Return true to answer the message with Result instead of DefWindowProc.
  std::function<bool(HWND, unsigned, WPARAM, LPARAM, LRESULT&)> Handler;
};

inline LRESULT ProbeProc(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam) {
  auto* probe = static_cast<TProbe*>(GetWindowUserData(hwnd));
  if (probe && probe->Log) probe->Log->push_back(TLogged{hwnd, msg, wParam, lParam});
  LRESULT result = 0;
  if (probe && probe->Handler && probe->Handler(hwnd, msg, wParam, lParam, result)) return result;
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

// Destroys every top-level window (and with them focus, capture and timers), so that tests
// sharing the process start from an empty desktop.
class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // The probes lived in the test body and are gone now.
    for (HWND h : GetChildWindows(nullptr)) Unprobe(h);
    for (HWND h : GetChildWindows(nullptr)) DestroyWindow(h);
    ProcessMessages();
    const TMouseButton buttons[] = {mbLeft, mbRight, mbMiddle};
    const int buttonKeys[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    for (int i = 0; i < 3; ++i)
      if (GetKeyState(buttonKeys[i]) < 0) InjectMouseUp(buttons[i], GetCursorPos());
    for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
      if (GetKeyState(vk) < 0) InjectKeyUp(vk);
  }

  std::vector<TLogged> Log;

  static void Unprobe(HWND h) {
    if (GetWindowProc(h) == &ProbeProc) SetWindowUserData(h, nullptr);
    for (HWND c : GetChildWindows(h)) Unprobe(c);
  }

  HWND MakeWindow(TProbe& probe, HWND parent, int x, int y, int w, int h,
                  uint32_t style = WS_VISIBLE, uint32_t classStyle = 0) {
    probe.Log = &Log;
    TCreateParams p;
    p.Proc = &ProbeProc;
    p.UserData = &probe;
    p.Parent = parent;
    p.X = x;
    p.Y = y;
    p.Width = w;
    p.Height = h;
    p.Style = style | (parent ? uint32_t(WS_CHILD) : 0u);
    p.ClassStyle = classStyle;
    return CreateWindow(p);
  }

  // The messages of the log (of one window when given), keeping only those listed.
  std::vector<unsigned> Messages(std::initializer_list<unsigned> keep, HWND only = nullptr) const {
    std::vector<unsigned> out;
    for (const TLogged& l : Log) {
      if (only && l.Window != only) continue;
      for (unsigned k : keep)
        if (l.Msg == k) out.push_back(l.Msg);
    }
    return out;
  }

  // Messages (of the given kinds) paired with their window.
  std::vector<std::pair<HWND, unsigned>> Trace(std::initializer_list<unsigned> keep) const {
    std::vector<std::pair<HWND, unsigned>> out;
    for (const TLogged& l : Log)
      for (unsigned k : keep)
        if (l.Msg == k) out.emplace_back(l.Window, l.Msg);
    return out;
  }

  const TLogged* Last(unsigned msg) const {
    for (auto it = Log.rbegin(); it != Log.rend(); ++it)
      if (it->Msg == msg) return &*it;
    return nullptr;
  }
};
