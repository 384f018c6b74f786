// The C host interface and the reading of host memory.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <sys/mman.h>

#include "host_fixture.h"
#include "plugin/host_memory.h"
#include "test_data.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/fonts/font.h"
#include "toolkit/windows/window.h"

namespace {

int DestroyCount = 0, TimerCount = 0;
intptr_t CountingProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  if (Msg == QJX_WM_DESTROY) ++DestroyCount;
  if (Msg == QJX_WM_TIMER) ++TimerCount;
  if (Msg == QJX_WM_USER + 7) return intptr_t(wParam + 1);
  return QjxDefWindowProc(Wnd, Msg, wParam, lParam);
}

// What a host window was told: sizes, texts and the library's messages, as they came.
std::vector<THostMessage> Told;
intptr_t TellingProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  if (Msg == QJX_WM_SIZE || Msg == HVM_DBLCLICK) Told.push_back({Wnd, Msg, wParam, lParam, {}});
  if (Msg == WM_SETTEXT)
    Told.push_back({Wnd, Msg, wParam, 0, reinterpret_cast<const char*>(lParam)});
  return QjxDefWindowProc(Wnd, Msg, wParam, lParam);
}

}  // namespace

TEST(HostApi, WindowsCarryTheHostProcedureAndData) {
  int data = 5;
  HWND wnd = QjxCreateHostWindow("t", 200, 100, CountingProc, &data);
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(QjxGetUserData(wnd), &data);
  EXPECT_EQ(QjxSendMessage(wnd, QJX_WM_USER + 7, 41, 0), 42);
  EXPECT_TRUE(QjxPostMessage(wnd, QJX_WM_USER + 7, 1, 0));
  EXPECT_TRUE(QjxPumpMessages());
  TQjxRect rect;
  ASSERT_TRUE(QjxGetClientRect(wnd, &rect));
  EXPECT_EQ(rect.Right, 200);
  EXPECT_EQ(rect.Bottom, 100);
  EXPECT_TRUE(QjxSetWindowSize(wnd, 300, 120));
  ASSERT_TRUE(QjxGetClientRect(wnd, &rect));
  EXPECT_EQ(rect.Right, 300);
  DestroyCount = 0;
  EXPECT_TRUE(QjxDestroyWindow(wnd));
  EXPECT_EQ(DestroyCount, 1);
  EXPECT_FALSE(QjxIsWindow(wnd));
  EXPECT_EQ(QjxGetUserData(wnd), nullptr);
}

TEST(HostApi, DeadHandlesAndNullArgumentsAreHarmless) {
  HWND wnd = QjxCreateHostWindow(nullptr, 10, 10, nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  QjxDestroyWindow(wnd);
  TQjxRect rect;
  EXPECT_EQ(QjxSendMessage(wnd, QJX_WM_USER, 0, 0), 0);
  EXPECT_FALSE(QjxGetClientRect(wnd, &rect));
  EXPECT_FALSE(QjxGetClientRect(wnd, nullptr));
  EXPECT_FALSE(QjxSetWindowSize(wnd, 5, 5));
  EXPECT_FALSE(QjxDestroyWindow(wnd));
  QjxClick(wnd, QJX_BUTTON_LEFT, 1, 1);
  QjxMouseWheel(wnd, 120, 1, 1);
  EXPECT_FALSE(QjxSaveWindowPng(wnd, (::testing::TempDir() + "dead.png").c_str()));
  EXPECT_STRNE(QjxLastError(), "");
  EXPECT_FALSE(QjxSaveWindowPng(wnd, nullptr));
}

// Sizes beyond the bitmap limits or below zero, and addresses that cannot be read or
// written, fail with a message and leave the window as it was.
TEST(HostApi, BadArgumentsFailCleanlyAndChangeNothing) {
  HWND wnd = QjxCreateHostWindow("kept", 200, 100, CountingProc, nullptr);
  ASSERT_NE(wnd, nullptr);
  const auto* unreadable = static_cast<const char*>(UnmappedAddress());
  auto* unmappedRect = static_cast<TQjxRect*>(const_cast<void*>(UnmappedAddress()));
  auto* readOnly = static_cast<TQjxRect*>(
      mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(readOnly, MAP_FAILED);
  auto created = [](HWND made) {
    if (made) QjxDestroyWindow(made);
    return made != nullptr;
  };
  const struct {
    const char* What;
    std::function<int()> Call;
  } cases[] = {
      {"size far beyond", [&] { return QjxSetWindowSize(wnd, 100000, 100000); }},
      {"size beyond the bytes", [&] { return QjxSetWindowSize(wnd, 10000, 10000); }},
      {"side beyond", [&] { return QjxSetWindowSize(wnd, 40000, 0); }},
      {"negative size", [&] { return QjxSetWindowSize(wnd, -1, 50); }},
      {"size of no window", [&] { return QjxSetWindowSize(nullptr, 10, 10); }},
      {"unreadable title", [&] { return QjxSetWindowTitle(wnd, unreadable); }},
      {"title of no window", [&] { return QjxSetWindowTitle(nullptr, "x"); }},
      {"unreadable file name", [&] { return QjxSaveWindowPng(wnd, unreadable); }},
      {"unreadable font file name", [&] { return QjxAddFontFile(unreadable); }},
      {"font file that is no font", [&] { return QjxAddFontFile(QJX_SOURCE_DIR "/LICENSE"); }},
      {"font file that is not there", [&] { return QjxAddFontFile("no-such-font.ttf"); }},
      {"unwritable rectangle", [&] { return QjxGetClientRect(wnd, readOnly); }},
      {"unmapped rectangle", [&] { return QjxGetClientRect(wnd, unmappedRect); }},
      {"created with an unreadable title",
       [&] { return int(created(QjxCreateHostWindow(unreadable, 10, 10, nullptr, nullptr))); }},
      {"created too large",
       [&] { return int(created(QjxCreateHostWindow("big", 100000, 100000, nullptr, nullptr))); }},
      {"created with a negative size",
       [&] { return int(created(QjxCreateHostWindow("neg", -5, 10, nullptr, nullptr))); }},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.Call(), 0) << c.What;
    EXPECT_STRNE(QjxLastError(), "") << c.What;
  }
  // Points far outside the window go nowhere.
  QjxClick(wnd, QJX_BUTTON_LEFT, INT32_MAX, INT32_MIN);
  QjxDoubleClick(wnd, QJX_BUTTON_RIGHT, INT32_MIN, INT32_MAX);
  // Seven weeks of a 10 ms timer do not run one tick at a time.
  SetTimer(wnd, 1, 10);
  TimerCount = 0;
  EXPECT_TRUE(QjxAdvanceClock(UINT32_MAX));
  EXPECT_GT(TimerCount, 0);
  EXPECT_LT(TimerCount, 20000);
  KillTimer(wnd, 1);
  TQjxRect rect;
  ASSERT_TRUE(QjxGetClientRect(wnd, &rect));
  EXPECT_EQ(rect.Right, 200);
  EXPECT_EQ(rect.Bottom, 100);
  EXPECT_EQ(GetWindowText(wnd), "kept");
  // A window at the limits is still made.
  HWND large = QjxCreateHostWindow("large", 8192, 8192, nullptr, nullptr);
  EXPECT_NE(large, nullptr) << QjxLastError();
  QjxDestroyWindow(large);
  munmap(readOnly, 4096);
  QjxDestroyWindow(wnd);
}

// A font file added by the host is known by its family name from then on.
TEST(HostApi, AddedFontFileIsInstalled) {
  EXPECT_TRUE(QjxAddFontFile(TestDataPath("fonts/ahem/Ahem.ttf").c_str())) << QjxLastError();
  EXPECT_TRUE(IsFaceInstalled("ahem"));
  const std::vector<std::string>& names = InstalledFaces();
  EXPECT_TRUE(std::binary_search(names.begin(), names.end(), std::string("Ahem")));
}

TEST(HostApi, QuitEndsTheMessageLoopWithItsCode) {
  QjxQuit(3);
  EXPECT_EQ(QjxRunMessageLoop(), 3);
}

TEST(HostApi, RunsHeadlessUnderTestAndSavesPixels) {
  EXPECT_TRUE(QjxIsHeadless());
  HWND wnd = QjxCreateHostWindow("png", 32, 16, nullptr, nullptr);
  const std::string file = ::testing::TempDir() + "host_api.png";
  EXPECT_TRUE(QjxSaveWindowPng(wnd, file.c_str())) << QjxLastError();
  FILE* f = std::fopen(file.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char signature[8] = {};
  EXPECT_EQ(std::fread(signature, 1, 8, f), 8u);
  std::fclose(f);
  EXPECT_EQ(std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8), 0);
  QjxDestroyWindow(wnd);
}

// A text that ends right before an unreadable page is read whole; one that runs into the
// page is refused rather than faulting.
TEST(HostMemory, TextsAtThePageEdge) {
  auto* pages = static_cast<char*>(
      mmap(nullptr, 8192, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(pages, MAP_FAILED);
  mprotect(pages + 4096, 4096, PROT_NONE);  // kept reserved: nothing can reuse it
  std::memset(pages, 'a', 4096);
  pages[4095] = 0;
  auto text = ReadHostString(pages + 4000, 1000);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->size(), 95u);
  pages[4095] = 'a';
  EXPECT_FALSE(ReadHostString(pages + 4000, 1000));
  // The limit cuts before the end is reached.
  auto cut = ReadHostString(pages + 4000, 10);
  ASSERT_TRUE(cut);
  EXPECT_EQ(*cut, std::string(10, 'a'));
  char record[16];
  EXPECT_TRUE(ReadHostMemory(pages + 4080, record, 16));
  EXPECT_FALSE(ReadHostMemory(pages + 4088, record, 16));
  EXPECT_FALSE(ReadHostMemory(nullptr, record, 1));
  munmap(pages, 8192);
}

// Messages whose parameters are addresses: system-only ones are refused to the host, the
// others go on with checked copies of what they point at, and posting them is refused.
TEST_F(PluginHost, MessagesCarryingAddressesAreCheckedOrRefused) {
  int data = 1;
  HWND host = QjxCreateHostWindow("kept", 200, 100, TellingProc, &data);
  ASSERT_NE(host, nullptr);
  HWND viewer = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, host, 0));
  HWND bar = CreateScrollBar(host, true, 0, 0, 16, 100);
  ASSERT_TRUE(viewer && bar);
  SCROLLINFO info{.fMask = SIF_RANGE | SIF_POS, .nMax = 100, .nPos = 30};
  EXPECT_EQ(QjxSendMessage(bar, SBM_SETSCROLLINFO, 1, intptr_t(&info)), 30);
  Told.clear();
  auto* readOnly = static_cast<char*>(
      mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(readOnly, MAP_FAILED);
  void* const unreadable[] = {nullptr, reinterpret_cast<void*>(1),
                              const_cast<void*>(UnmappedAddress()),
                              reinterpret_cast<void*>(~uintptr_t(4095))};
  int low = 0;
  TWindowPos pos{.cx = 123, .cy = 45, .flags = SWP_NOMOVE};
  TCreateStruct create;
  char buffer[64] = "";
  using TCall = intptr_t (*)(HWND, unsigned, uintptr_t, intptr_t);
  const TCall send = QjxSendMessage, def = QjxDefWindowProc;
  const TCall post = [](HWND w, unsigned m, uintptr_t wp, intptr_t lp) -> intptr_t {
    return QjxPostMessage(w, m, wp, lp);
  };
  struct TCase {
    const char* What;
    TCall Call;
    unsigned Msg;
    bool Writes;  // a read-only address is refused too
    bool InWParam;
    uintptr_t Other;  // the parameter that is not the address
  };
  const TCase withAddress[] = {
      {"send WM_SETTEXT", send, WM_SETTEXT, false, false, 0},
      {"send WM_GETTEXT", send, WM_GETTEXT, true, false, 64},
      {"send WM_GETDLGCODE", send, WM_GETDLGCODE, false, false, 0},
      {"send SBM_SETSCROLLINFO", send, SBM_SETSCROLLINFO, false, false, 1},
      {"send SBM_GETSCROLLINFO", send, SBM_GETSCROLLINFO, true, false, 0},
      {"send SBM_GETRANGE low", send, SBM_GETRANGE, true, true, uintptr_t(&low)},
      {"send SBM_GETRANGE high", send, SBM_GETRANGE, true, false, uintptr_t(&low)},
      {"default WM_WINDOWPOSCHANGED", def, WM_WINDOWPOSCHANGED, false, false, 0},
      {"default WM_WINDOWPOSCHANGING", def, WM_WINDOWPOSCHANGING, true, false, 0},
      {"default WM_NCCREATE", def, WM_NCCREATE, false, false, 0},
      {"default WM_CREATE", def, WM_CREATE, false, false, 0},
      {"default WM_SETTEXT", def, WM_SETTEXT, false, false, 0},
      {"default WM_GETTEXT", def, WM_GETTEXT, true, false, 64},
  };
  for (const TCase& c : withAddress) {
    for (HWND target : {host, viewer, bar}) {
      if (c.Call == def && target != host) continue;
      for (void* address : unreadable) {
        if (c.Msg == WM_GETDLGCODE && !address) continue;  // null: no message given
        const uintptr_t a = uintptr_t(address);
        EXPECT_EQ(c.InWParam ? c.Call(target, c.Msg, a, intptr_t(c.Other))
                             : c.Call(target, c.Msg, c.Other, intptr_t(a)), 0)
            << c.What << " " << address;
        EXPECT_STRNE(QjxLastError(), "") << c.What << " " << address;
      }
      if (c.Writes) {
        EXPECT_EQ(c.Call(target, c.Msg, c.Other, intptr_t(readOnly)), 0) << c.What;
      }
    }
  }
  // System-only messages, and posted addresses, are refused whatever they carry.
  const struct {
    TCall Call;
    unsigned Msg;
    uintptr_t wParam;
    const void* lParam;
  } refused[] = {
      {send, WM_NCCREATE, 0, &create}, {send, WM_CREATE, 0, &create},
      {send, WM_NCDESTROY, 0, nullptr}, {send, WM_DESTROY, 0, nullptr},
      {send, WM_PAINT, 0, nullptr}, {send, WM_ERASEBKGND, 1, nullptr},
      {send, WM_WINDOWPOSCHANGED, 0, &pos}, {send, WM_WINDOWPOSCHANGING, 0, &pos},
      {post, WM_PAINT, 0, nullptr}, {post, WM_NCDESTROY, 0, nullptr},
      {post, WM_WINDOWPOSCHANGED, 0, &pos}, {post, WM_SETTEXT, 0, "x"},
      {post, WM_GETTEXT, sizeof buffer, buffer}, {post, SBM_SETSCROLLINFO, 1, &info},
  };
  for (const auto& c : refused) {
    for (HWND target : {host, viewer, bar}) {
      EXPECT_EQ(c.Call(target, c.Msg, c.wParam, intptr_t(c.lParam)), 0) << c.Msg;
      EXPECT_STRNE(QjxLastError(), "") << c.Msg;
    }
  }
  EXPECT_EQ(QjxDefWindowProc(viewer, WM_CLOSE, 0, 0), 0);  // not the host's to handle
  EXPECT_TRUE(QjxIsWindow(viewer));
  QjxPumpMessages();
  // Nothing above reached a window: sizes, titles, data and the bar are as they were.
  EXPECT_TRUE(Told.empty());
  EXPECT_EQ(QjxGetUserData(host), &data);
  EXPECT_EQ(GetWindowText(host), "kept");
  EXPECT_EQ(QjxSendMessage(bar, SBM_GETPOS, 0, 0), 30);

  // Valid addresses work where the message is allowed.
  EXPECT_EQ(QjxSendMessage(host, WM_GETTEXT, sizeof buffer, intptr_t(buffer)), 4);
  EXPECT_STREQ(buffer, "kept");
  EXPECT_EQ(QjxSendMessage(host, WM_GETTEXT, 3, intptr_t(buffer)), 2);
  EXPECT_STREQ(buffer, "ke");
  EXPECT_EQ(QjxSendMessage(viewer, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  SCROLLINFO got{.fMask = SIF_ALL};
  EXPECT_EQ(QjxSendMessage(bar, SBM_GETSCROLLINFO, 0, intptr_t(&got)), 1);
  EXPECT_EQ(got.nMax, 100);
  EXPECT_EQ(got.nPos, 30);
  EXPECT_EQ(QjxDefWindowProc(host, WM_WINDOWPOSCHANGED, 0, intptr_t(&pos)), 0);
  QjxSendMessage(host, WM_SETTEXT, 0, intptr_t("told"));
  // The library's messages to a host window and plain numbers pass as they are.
  const char* selection = "word";
  EXPECT_TRUE(QjxPostMessage(host, HVM_DBLCLICK, uintptr_t(selection), 0));
  EXPECT_TRUE(QjxPostMessage(host, QJX_WM_TIMER, 7, 1));
  QjxPumpMessages();
  ASSERT_EQ(Told.size(), 3u);
  EXPECT_EQ(Told[0].lParam, MAKELPARAM(123, 45));
  EXPECT_EQ(Told[1].Text, "told");
  EXPECT_EQ(Told[2].wParam, uintptr_t(selection));
  Told.clear();
  munmap(readOnly, 4096);
  QjxDestroyWindow(host);
}
