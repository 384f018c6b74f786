// A host in C++ that finds the library through its CMake package. It makes a window with
// one viewer, loads a document and writes what the window shows as a PNG file, without
// a display:  ./render page.html page.png
#include <qjxhtml.h>
#include <qjxhtml_host.h>

#include <cstdio>
#include <cstdlib>

namespace {

int Fail(const char* What) {
  std::fprintf(stderr, "render: %s: %s\n", What, QjxLastError());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: render FILE.html OUT.png\n");
    return 2;
  }
  setenv("QJX_BACKEND", "headless", 1);  // windows paint into memory only
  if (HV_Proc(HVC_INIT, nullptr, 0) != -1) return Fail("the library did not start");
  HWND wnd = QjxCreateHostWindow(argv[1], 640, 480, QjxDefWindowProc, nullptr);
  if (!wnd || !HV_Proc(HVC_CREATE, wnd, 0)) return Fail("no viewer");
  HV_Proc(HVC_RESIZE, wnd, 0);  // the viewer fills the window's client area
  if (!HV_Proc(HVC_LOADFILE, wnd, reinterpret_cast<intptr_t>(argv[1]))) return Fail(argv[1]);
  QjxPumpMessages();  // layout and paint
  const bool saved = QjxSaveWindowPng(wnd, argv[2]);
  if (!saved) Fail(argv[2]);
  HV_Proc(HVC_DONE, nullptr, 0);
  QjxDestroyWindow(wnd);
  return saved ? 0 : 1;
}
