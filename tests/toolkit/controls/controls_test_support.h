// Form controls on a host window, driven by injected keys and mouse clicks.
#pragma once

#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/toolkit/windows/window_test_support.h"
#include "toolkit/controls/controls_base.h"
#include "toolkit/windows/clipboard.h"

// Types the script: plain characters arrive as typed characters, {Name} presses a key
// (Left, Home, Enter, BS, Del, F4, a letter...), with S-, C- and A- prefixes holding
// Shift, Ctrl and Alt. Enter, BS and Space also type their character, as keyboards do.
inline void SendKeys(const std::string& Script) {
  static const std::map<std::string, int> kKeys = {
      {"Left", VK_LEFT},   {"Right", VK_RIGHT}, {"Up", VK_UP},        {"Down", VK_DOWN},
      {"Home", VK_HOME},   {"End", VK_END},     {"PgUp", VK_PRIOR},   {"PgDn", VK_NEXT},
      {"Enter", VK_RETURN}, {"BS", VK_BACK},    {"Del", VK_DELETE},   {"Ins", VK_INSERT},
      {"Tab", VK_TAB},     {"Esc", VK_ESCAPE},  {"Space", VK_SPACE},  {"F4", VK_F4}};
  for (size_t i = 0; i < Script.size(); ++i) {
    if (Script[i] != '{') {
      InjectChar(static_cast<unsigned char>(Script[i]));
      continue;
    }
    const size_t end = Script.find('}', i);
    std::string name = Script.substr(i + 1, end - i - 1);
    i = end;
    std::vector<int> modifiers;
    while (name.size() > 2 && name[1] == '-') {
      modifiers.push_back(name[0] == 'S' ? VK_SHIFT : name[0] == 'C' ? VK_CONTROL : VK_MENU);
      name = name.substr(2);
    }
    auto it = kKeys.find(name);
    const int key = it != kKeys.end() ? it->second : std::toupper(static_cast<unsigned char>(name[0]));
    for (int m : modifiers) InjectKeyDown(m);
    InjectKeyDown(key);
    if (modifiers.empty() && (key == VK_RETURN || key == VK_BACK || key == VK_SPACE))
      InjectChar(key == VK_RETURN ? '\r' : key == VK_BACK ? '\b' : ' ');
    InjectKeyUp(key);
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) InjectKeyUp(*m);
  }
}

class ControlsTest : public WindowTest {
 protected:
  void SetUp() override {
    Host = MakeWindow(HostProbe, nullptr, 50, 40, 400, 300);
    SetWindowBackground(Host, clWhite);
    EmptyClipboard();
  }

  // A control made on the host, owned by the test.
  template <typename T, typename... Args>
  std::unique_ptr<T> Make(Args... args) {
    auto control = std::make_unique<T>(nullptr, Host, args...);
    ProcessMessages();
    return control;
  }

  // The pixel of a control at a client point after every pending paint.
  static uint32_t PixelOf(const TWinControl& Control, int X, int Y) {
    ProcessMessages();
    TWindowPixels pixels = CaptureWindowPixels(Control.Handle());
    return pixels.At(X, Y) & 0xFFFFFF;
  }
  static uint32_t Sys(int Index) { return ColorToPixel(GetSysColor(Index)); }

  TProbe HostProbe;
  HWND Host = nullptr;
};
