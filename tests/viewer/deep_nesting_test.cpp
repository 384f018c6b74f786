// Documents nested far deeper than any real page load, lay out, paint, copy and go away
// without running out of stack, even on the smaller stack a host deep in its own calls
// leaves to the viewer.
#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

// An eighth of the usual 8 MB main-thread stack: the rest is the host's. The capped nesting
// needs about a quarter of it in a sanitized build and far less otherwise.
constexpr size_t StackBytes = 1u << 20;

// Runs Work to its end on a thread with a stack of Bytes.
bool RunOnStack(size_t Bytes, const std::function<void()>& Work) {
  pthread_attr_t Attr;
  pthread_attr_init(&Attr);
  pthread_attr_setstacksize(&Attr, Bytes);
  pthread_t Thread;
  auto Entry = [](void* Arg) -> void* {
    (*static_cast<const std::function<void()>*>(Arg))();
    return nullptr;
  };
  void* Arg = const_cast<std::function<void()>*>(&Work);
  const bool Started = pthread_create(&Thread, &Attr, Entry, Arg) == 0;
  pthread_attr_destroy(&Attr);
  if (Started) pthread_join(Thread, nullptr);
  return Started;
}

std::string Repeated(const std::string& Piece, int Count) {
  std::string S;
  S.reserve(Piece.size() * Count);
  for (int I = 0; I < Count; ++I) S += Piece;
  return S;
}

TEST(DeepNesting, DocumentsNestedBeyondTheCapWorkOnAnEighthOfTheStack) {
  const std::string Documents[] = {
      Repeated("<CENTER>", 24000),  // 192 KB
      Repeated("<DIV>", 100000) + "deep",
      Repeated("<DIV><H3><DIV style=\"margin: 1px; border: 1px solid\">", 20000) +
          "<P>deep<PRE>pre</PRE>",
  };
  TCreateParams Params;
  Params.Width = 640;
  Params.Height = 480;
  Params.Style = WS_VISIBLE;
  Params.Proc = &DefWindowProc;
  HWND Host = CreateWindow(Params);
  for (const std::string& Doc : Documents) {
    bool Done = false;
    ASSERT_TRUE(RunOnStack(StackBytes, [&] {
      THTMLViewer Viewer(nullptr, Host, 0, 0, 640, 480);
      Viewer.LoadFromBuffer(Doc.data(), int(Doc.size()));
      Viewer.SelectAll();
      Viewer.CopyToClipboard();
      Viewer.ScrollTo(Viewer.MaxVertical());
      HWND Panel = Viewer.PaintPanel()->Handle();
      InvalidateRect(Panel, nullptr);
      UpdateWindow(Panel);
      Viewer.Clear();
      // Loaded again, the document goes with the viewer.
      Viewer.LoadFromBuffer(Doc.data(), int(Doc.size()));
      Done = !Viewer.Processing();
    }));
    EXPECT_TRUE(Done) << Doc.substr(0, 40);
  }
  DestroyWindow(Host);
}

}  // namespace
