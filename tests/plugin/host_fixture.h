// A host for the tests: top-level windows whose procedure records the viewer's messages.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "include/qjxhtml.h"
#include "include/qjxhtml_host.h"

struct THostMessage {
  HWND Wnd;
  unsigned Msg;
  uintptr_t wParam;
  intptr_t lParam;
  std::string Text;  // wParam read as text for the messages that carry one
};

class PluginHost : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND MakeHostWindow(int Width = 400, int Height = 300);
  // Messages in the viewer's range (1124..1134) in arrival order.
  std::vector<unsigned> MessageNumbers() const;

  static std::vector<THostMessage> Messages;
  // Answers by message number; unset ones answer 0.
  static std::function<intptr_t(const THostMessage&)> Answer;

 private:
  static intptr_t HostProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam);
  std::vector<HWND> FWindows;
};

// An address that can certainly not be read.
const void* UnmappedAddress();
