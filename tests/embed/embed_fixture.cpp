#include "embed_fixture.h"

#include <sys/mman.h>

#include <chrono>
#include <thread>

#include "document/forms/form.h"
#include "toolkit/controls/controls.h"
#include "toolkit/controls/controls_list.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

std::vector<TQjxRect> EmbedHost::Damage;
std::vector<int> EmbedHost::Cursors;
std::vector<std::string> EmbedHost::Copied;
std::string EmbedHost::ClipboardText;
std::vector<std::string> EmbedHost::Submitted;
std::vector<std::string> EmbedHost::DoubleClicked;
std::vector<std::string> EmbedHost::Links;
std::vector<uint8_t> EmbedHost::ImageData;
int EmbedHost::Timers = 0;

namespace {

void OnDamage(HWND, const TQjxRect* Rect, void*) { EmbedHost::Damage.push_back(*Rect); }
void OnCursor(HWND, int Cursor, void*) { EmbedHost::Cursors.push_back(Cursor); }
void OnCopy(const char* Text, void*) { EmbedHost::Copied.emplace_back(Text); }
const char* OnPaste(void*) { return EmbedHost::ClipboardText.c_str(); }

THVBuffer ImageAnswer;

}  // namespace

void EmbedHost::SetUp() {
  Damage.clear();
  Cursors.clear();
  Copied.clear();
  ClipboardText.clear();
  Submitted.clear();
  DoubleClicked.clear();
  Links.clear();
  ImageData.clear();
  Timers = 0;
  ASSERT_EQ(QjxUseEmbeddedMode(), 1) << QjxLastError();
  ASSERT_TRUE(QjxEmbedSetDamageProc(OnDamage, nullptr));
  ASSERT_TRUE(QjxEmbedSetCursorProc(OnCursor, nullptr));
  ASSERT_TRUE(QjxEmbedSetClipboardProcs(OnCopy, OnPaste, nullptr));
  ASSERT_EQ(HV_Proc(HVC_INIT, nullptr, 0), -1);
}

void EmbedHost::TearDown() {
  HV_Proc(HVC_DONE, nullptr, 0);
  for (HWND wnd : FWindows) QjxDestroyWindow(wnd);
  QjxEmbedDispatch();
}

intptr_t EmbedHost::HostProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  switch (Msg) {
    case QJX_WM_SIZE:
      HV_Proc(HVC_RESIZE, Wnd, 0);
      return 0;
    case QJX_WM_TIMER:
      ++Timers;
      return 0;
    case HVM_FORMSUBMIT: {
      const auto* record = reinterpret_cast<const THVFormSubmit*>(wParam);
      std::string pairs;
      for (int32_t i = 0; i < record->Count; ++i) pairs += (i ? "|" : "") + std::string(record->Pairs[i]);
      Submitted.push_back(pairs);
      return 0;
    }
    case HVM_HOTSPOTCLICK:
      Links.emplace_back(reinterpret_cast<const char*>(wParam));
      return 0;
    case HVM_DBLCLICK:
      DoubleClicked.emplace_back(reinterpret_cast<const char*>(wParam));
      return 0;
    case HVM_IMAGEREQUEST:
      if (ImageData.empty()) return 0;
      ImageAnswer = THVBuffer{ImageData.data(), intptr_t(ImageData.size())};
      return reinterpret_cast<intptr_t>(&ImageAnswer);
    default:
      return QjxDefWindowProc(Wnd, Msg, wParam, lParam);
  }
}

HWND EmbedHost::ShowPage(const std::string& Html, int Width, int Height) {
  HWND host = QjxCreateHostWindow("embedded", Width, Height, HostProc, nullptr);
  EXPECT_NE(host, nullptr) << QjxLastError();
  FWindows.push_back(host);
  EXPECT_NE(HV_Proc(HVC_CREATE, host, 0), 0);
  HV_Proc(HVC_RESIZE, host, 0);
  THVBuffer buffer{Html.data(), intptr_t(Html.size())};
  HV_Proc(HVC_LOADBUFFER, host, reinterpret_cast<intptr_t>(&buffer));
  while (QjxEmbedTimeout() == 0) QjxEmbedDispatch();
  Damage.clear();
  return host;
}

THTMLViewer* EmbedHost::Viewer(HWND Host) const {
  for (HWND child : GetChildWindows(Host))
    if (auto* viewer = dynamic_cast<THTMLViewer*>(TWinControl::FromHandle(child))) return viewer;
  return nullptr;
}

HWND EmbedHost::ControlWindow(HWND Host, const std::string& Value) const {
  for (TDocControl* control : Viewer(Host)->SectionList()->FormControls)
    if (auto* obj = dynamic_cast<TFormControlObj*>(control))
      if (obj->FValue == Value && obj->WindowControl()) return obj->WindowControl()->Handle();
  return nullptr;
}

HWND EmbedHost::SelectWindow(HWND Host) const {
  for (TDocControl* control : Viewer(Host)->SectionList()->FormControls)
    if (auto* obj = dynamic_cast<TFormControlObj*>(control))
      if (dynamic_cast<TComboBox*>(obj->WindowControl())) return obj->WindowControl()->Handle();
  return nullptr;
}

TQjxRect EmbedHost::RectIn(HWND Host, HWND Child) const {
  TRect r;
  GetClientRect(Child, &r);
  TPoint corners[2] = {{r.Left, r.Top}, {r.Right, r.Bottom}};
  MapWindowPoints(Child, Host, corners, 2);
  return TQjxRect{corners[0].X, corners[0].Y, corners[1].X, corners[1].Y};
}

bool EmbedHost::LinkPoint(HWND Host, const std::string& Url, int* X, int* Y) const {
  THTMLViewer* viewer = Viewer(Host);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) {
      std::string url, target;
      if (viewer->LinkAtPoint(x, y, url, target) && url == Url) {
        TPoint p{x + 1, y + 1};  // inside the link, off its edge
        MapWindowPoints(viewer->PaintPanel()->Handle(), Host, &p, 1);
        *X = p.X;
        *Y = p.Y;
        return true;
      }
    }
  return false;
}

TPixelsCopy EmbedHost::Pixels(HWND Host) const {
  TQjxPixels p{};
  EXPECT_TRUE(QjxEmbedPixels(Host, &p)) << QjxLastError();
  TPixelsCopy copy{p.Width, p.Height, {}};
  const auto* bytes = static_cast<const uint8_t*>(p.Pixels);
  for (int y = 0; y < p.Height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(bytes + size_t(y) * size_t(p.Stride));
    copy.Pixels.insert(copy.Pixels.end(), row, row + p.Width);
  }
  return copy;
}

void EmbedHost::RunFor(int Milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    const int timeout = QjxEmbedTimeout();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (timeout > 0 || timeout < 0)
      std::this_thread::sleep_for(timeout < 0 ? left : std::min(left, std::chrono::milliseconds(timeout)));
    QjxEmbedDispatch();
  }
}

TQjxRect EmbedHost::TakeDamage() {
  TQjxRect all{0, 0, 0, 0};
  bool any = false;
  for (const TQjxRect& r : Damage) {
    if (r.Right <= r.Left || r.Bottom <= r.Top) continue;
    if (!any) all = r;
    all = TQjxRect{std::min(all.Left, r.Left), std::min(all.Top, r.Top),
                   std::max(all.Right, r.Right), std::max(all.Bottom, r.Bottom)};
    any = true;
  }
  Damage.clear();
  return all;
}

const void* UnmappedPixels() {
  static void* page = [] {
    void* p = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p;
  }();
  return page;
}

const char* OnPasteNothing(void*) { return nullptr; }

bool Covers(const TQjxRect& Outer, const TQjxRect& Inner) {
  return Inner.Left >= Outer.Left && Inner.Top >= Outer.Top && Inner.Right <= Outer.Right &&
         Inner.Bottom <= Outer.Bottom;
}

TQjxRect ChangedBounds(const TPixelsCopy& Before, const TPixelsCopy& After) {
  TQjxRect r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int y = 0; y < std::min(Before.Height, After.Height); ++y)
    for (int x = 0; x < std::min(Before.Width, After.Width); ++x)
      if (Before.At(x, y) != After.At(x, y))
        r = TQjxRect{std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
                     std::max(r.Bottom, y + 1)};
  return r.Left == INT32_MAX ? TQjxRect{0, 0, 0, 0} : r;
}

bool ChangesInside(const TPixelsCopy& Before, const TPixelsCopy& After, const TQjxRect& Rect) {
  const TQjxRect changed = ChangedBounds(Before, After);
  return changed.Right == changed.Left || Covers(Rect, changed);
}
