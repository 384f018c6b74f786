#include "toolkit/windows/embedded/embedded_backend.h"

#include <algorithm>
#include <limits>

#include "common/codepage.h"
#include "toolkit/windows/clock.h"
#include "toolkit/windows/window.h"
#include "toolkit/windows/window_internal.h"

namespace {

// The code page of the library's 8-bit clipboard text; hosts trade UTF-8.
constexpr int ClipboardCodePage = CP_UTF8;  // the clipboard holds UTF-8
constexpr uint32_t kOpaque = 0xFF000000;

bool IsPopup(HWND hwnd) { return (GetWindowStyle(hwnd) & WS_POPUP) != 0; }

void CopyOpaque(uint32_t* to, const uint32_t* from, int count) {
  for (int i = 0; i < count; ++i) to[i] = from[i] | kOpaque;
}

}  // namespace

TEmbeddedBackend::TEmbeddedBackend() : FStart(RealClockMilliseconds()) {}

uint64_t TEmbeddedBackend::Now() { return RealClockMilliseconds() - FStart; }

bool TEmbeddedBackend::FitPicture(HWND topLevel, TPicture& picture) {
  TWnd* w = WS().Find(topLevel);
  TSurface* s = w ? SurfaceOf(w) : nullptr;
  const int width = s ? s->Width : 0, height = s ? s->Height : 0;
  if (picture.Width == width && picture.Height == height) return false;
  picture.Width = width;
  picture.Height = height;
  picture.Pixels.assign(size_t(width) * size_t(height), kOpaque | 0x00FFFFFF);
  return true;
}

void TEmbeddedBackend::Compose(HWND topLevel, TPicture& picture, const TRect& rect) {
  TWnd* w = WS().Find(topLevel);
  TSurface* s = w ? SurfaceOf(w) : nullptr;
  if (!s) return;
  const TRect r = IntersectRect(rect, TRect{0, 0, picture.Width, picture.Height});
  if (r.IsEmpty()) return;
  for (int y = r.Top; y < r.Bottom; ++y)
    CopyOpaque(&picture.Pixels[size_t(y) * size_t(picture.Width) + size_t(r.Left)],
               &s->Pixels[size_t(y) * size_t(s->Width) + size_t(r.Left)], r.Width());
  for (const auto& [popup, screenRect] : FPopups) {
    TWnd* p = WS().Find(popup);
    if (!p || !p->Surface) continue;
    TRect at = screenRect;
    at.Offset(-w->Rect.Left, -w->Rect.Top);
    at.Right = std::min(at.Right, at.Left + p->Surface->Width);
    at.Bottom = std::min(at.Bottom, at.Top + p->Surface->Height);
    const TRect part = IntersectRect(r, at);
    for (int y = part.Top; y < part.Bottom; ++y)
      CopyOpaque(&picture.Pixels[size_t(y) * size_t(picture.Width) + size_t(part.Left)],
                 &p->Surface->Pixels[size_t(y - at.Top) * size_t(p->Surface->Width) +
                                     size_t(part.Left - at.Left)],
                 part.Width());
  }
  picture.Damage = UnionRect(picture.Damage, r);
}

void TEmbeddedBackend::ComposeUnder(const TRect& screenRect) {
  for (auto& [hwnd, picture] : FPictures) {
    TWnd* w = WS().Find(hwnd);
    if (!w) continue;
    TRect r = screenRect;
    r.Offset(-w->Rect.Left, -w->Rect.Top);
    if (FitPicture(hwnd, picture)) r = TRect{0, 0, picture.Width, picture.Height};
    Compose(hwnd, picture, r);
  }
}

void TEmbeddedBackend::PresentSurface(HWND topLevel, const uint32_t*, int, const TRect& rect) {
  if (IsPopup(topLevel)) {
    TWnd* p = WS().Find(topLevel);
    if (!p) return;
    TRect screen = rect;
    screen.Offset(p->Rect.Left, p->Rect.Top);
    ComposeUnder(screen);
    return;
  }
  TPicture& picture = FPictures[topLevel];
  const bool resized = FitPicture(topLevel, picture);
  Compose(topLevel, picture, resized ? TRect{0, 0, picture.Width, picture.Height} : rect);
}

void TEmbeddedBackend::TopLevelChanged(HWND topLevel, const TRect& screenRect, bool visible) {
  if (!IsPopup(topLevel)) return;  // pictures follow their surfaces when painted or read
  auto it = std::find_if(FPopups.begin(), FPopups.end(),
                         [&](const auto& p) { return p.first == topLevel; });
  TRect old;
  if (it != FPopups.end()) {
    old = it->second;
    FPopups.erase(it);
  }
  if (visible) FPopups.emplace_back(topLevel, screenRect);
  // Where the list was shows the window beneath again; where it is now is composed
  // once more when the list paints.
  if (!old.IsEmpty()) ComposeUnder(old);
  if (visible) ComposeUnder(screenRect);
}

void TEmbeddedBackend::TopLevelDestroyed(HWND topLevel) {
  FPictures.erase(topLevel);
  if (FPointerWindow == topLevel) FPointerWindow = nullptr;
  auto it = std::find_if(FPopups.begin(), FPopups.end(),
                         [&](const auto& p) { return p.first == topLevel; });
  if (it == FPopups.end()) return;
  const TRect old = it->second;
  FPopups.erase(it);
  ComposeUnder(old);
}

void TEmbeddedBackend::MessagesProcessed() {
  // Damage is told once per pump, each window's as one rectangle; a host that answers by
  // calling in again finds the list empty.
  std::vector<std::pair<HWND, TRect>> damaged;
  for (auto& [hwnd, picture] : FPictures) {
    if (picture.Damage.IsEmpty()) continue;
    damaged.emplace_back(hwnd, picture.Damage);
    picture.Damage = TRect{};
  }
  if (!FHooks.Damage) return;
  for (const auto& [hwnd, rect] : damaged)
    if (IsWindow(hwnd)) FHooks.Damage(hwnd, rect);
}

void TEmbeddedBackend::ShowCursor(HCURSOR cursor) {
  if (FHooks.Cursor) FHooks.Cursor(FPointerWindow, GetCursorShapeId(cursor));
}

void TEmbeddedBackend::SetClipboardText(const std::string& text) {
  if (!FHooks.SetClipboard) {
    FClipboard = text;
    return;
  }
  FHooks.SetClipboard(
      WideCharToMultiByte(CP_UTF8, MultiByteToWideChar(ClipboardCodePage, text)));
}

std::string TEmbeddedBackend::GetClipboardText() {
  if (!FHooks.GetClipboard) return FClipboard;
  return WideCharToMultiByte(ClipboardCodePage,
                             MultiByteToWideChar(CP_UTF8, FHooks.GetClipboard()));
}

TEmbeddedPicture TEmbeddedBackend::Picture(HWND topLevel) {
  TWnd* w = WS().Find(topLevel);
  if (!w || w->Parent || IsPopup(topLevel)) return {};
  TPicture& picture = FPictures[topLevel];
  if (FitPicture(topLevel, picture)) Compose(topLevel, picture, {0, 0, picture.Width, picture.Height});
  if (picture.Pixels.empty()) return {};
  return {picture.Pixels.data(), picture.Width, picture.Height, picture.Width * 4};
}

TPoint TEmbeddedBackend::NextOrigin(int width) {
  // A gap between windows keeps even a pointer just outside one off its neighbour; far
  // enough along, the row starts again (by then the first windows are long gone).
  constexpr int kGap = 256, kRowEnd = 1 << 26;
  if (FNextLeft > kRowEnd) FNextLeft = 0;
  const TPoint origin{FNextLeft, 0};
  FNextLeft += std::clamp(width, 0, kRowEnd) + kGap;
  return origin;
}

uint64_t TEmbeddedBackend::EventTime(uint32_t hostTime) {
  const int64_t now = int64_t(Now());
  if (hostTime == 0) return uint64_t(now);
  // The host's clock keeps its own distances between events, which double clicks are
  // judged by, so the gap between the clocks is taken once; only a host time far from
  // now (a clock that wrapped at 32 bits, or another time base) takes it anew.
  constexpr int64_t kFarOff = 10000;
  const int64_t mapped = int64_t(hostTime) + FGap;
  if (!FHaveGap || mapped > now + kFarOff || mapped < now - kFarOff) {
    FGap = now - int64_t(hostTime);
    FHaveGap = true;
  }
  return uint32_t(int64_t(hostTime) + FGap);
}

// ---- Driving --------------------------------------------------------------------------

namespace {

TEmbeddedBackend* Embedded() { return dynamic_cast<TEmbeddedBackend*>(&WindowBackend()); }

void SetKeyBit(int vk, bool down) {
  uint8_t& s = WS().KeyState[vk];
  s = down ? uint8_t(s | 0x80) : uint8_t(s & ~0x80);
}

void SyncModifier(int generic, int left, int right, bool down) {
  const bool isDown = (WS().KeyState[generic] & 0x80) != 0;
  if (isDown == down) return;
  SetKeyBit(generic, down);
  SetKeyBit(left, down);
  if (!down) SetKeyBit(right, false);
}

}  // namespace

bool IsEmbedded() { return Embedded() != nullptr; }

bool UseEmbeddedBackend() {
  return IsEmbedded() || InstallWindowBackend(std::make_unique<TEmbeddedBackend>());
}

bool SetEmbeddedHooks(TEmbeddedHooks hooks) {
  TEmbeddedBackend* b = Embedded();
  if (b) b->SetHooks(std::move(hooks));
  return b != nullptr;
}

TEmbeddedPicture EmbeddedPicture(HWND topLevel) {
  TEmbeddedBackend* b = Embedded();
  return b ? b->Picture(topLevel) : TEmbeddedPicture{};
}

int64_t EmbeddedTimeout() {
  TEmbeddedBackend* b = Embedded();
  if (!b) return -1;
  TWindowSystem& ws = WS();
  if (!ws.Queue.empty() || !ws.PaintPending.empty() || ws.QuitPending) return 0;
  const uint64_t due = NextTimerDue();
  if (due == std::numeric_limits<uint64_t>::max()) return -1;
  const uint64_t now = b->Now();
  return due <= now ? 0 : int64_t(std::min<uint64_t>(due - now, INT32_MAX));
}

uint64_t EmbeddedEventTime(uint32_t hostTime) {
  TEmbeddedBackend* b = Embedded();
  return b ? b->EventTime(hostTime) : 0;
}

TPoint EmbeddedWindowOrigin(int width) {
  TEmbeddedBackend* b = Embedded();
  return b ? b->NextOrigin(width) : TPoint{};
}

void SetEmbeddedPointerWindow(HWND topLevel) {
  if (TEmbeddedBackend* b = Embedded()) b->SetPointerWindow(topLevel);
}

void SyncModifierKeys(bool shift, bool control, bool alt) {
  SyncModifier(VK_SHIFT, VK_LSHIFT, VK_RSHIFT, shift);
  SyncModifier(VK_CONTROL, VK_LCONTROL, VK_RCONTROL, control);
  SyncModifier(VK_MENU, VK_LMENU, VK_RMENU, alt);
}

void ReleaseAllKeys() {
  for (int vk = 1; vk < 256; ++vk) SetKeyBit(vk, false);
}
