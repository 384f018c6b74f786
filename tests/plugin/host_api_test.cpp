// The C host interface and the reading of host memory.
#include <cstring>
#include <sys/mman.h>

#include "host_fixture.h"
#include "plugin/host_memory.h"

namespace {

int DestroyCount = 0;
intptr_t CountingProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  if (Msg == QJX_WM_DESTROY) ++DestroyCount;
  if (Msg == QJX_WM_USER + 7) return intptr_t(wParam + 1);
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
