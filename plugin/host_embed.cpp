// The embedded mode of the C host interface: a host's own toolkit shows the windows'
// pixels, hands over its input and runs the library's due work from its main loop.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>

#include "common/codepage.h"
#include "include/qjxhtml_host.h"
#include "plugin/host_memory.h"
#include "plugin/last_error.h"
#include "plugin/registry.h"
#include "toolkit/windows/embedded/embedded.h"
#include "toolkit/windows/keysyms.h"
#include "toolkit/windows/window.h"
#include "toolkit/windows/window_backend.h"

namespace {

// The host's procedures, called through the backend's hooks.
struct THostProcs {
  TQjxDamageProc Damage = nullptr;
  void* DamageData = nullptr;
  TQjxCursorProc Cursor = nullptr;
  void* CursorData = nullptr;
  TQjxClipboardSetProc SetClipboard = nullptr;
  TQjxClipboardGetProc GetClipboard = nullptr;
  void* ClipboardData = nullptr;
};
THostProcs Procs;

// The window inside each host window that had the focus when the host's widget lost it.
std::unordered_map<HWND, HWND> FocusWithin;
// Scrolling smaller than a notch adds up until it makes one.
HWND WheelWindow = nullptr;
double WheelRestX = 0, WheelRestY = 0;

constexpr int kNotch = 120;        // wheel delta of one notch
constexpr int kLinesPerNotch = 3;  // horizontal lines scrolled by one notch
constexpr int kMaxNotches = 1000;  // most scrolled by one call, either way

int CursorOf(int id) {
  switch (id) {
    case IDC_HAND: return QJX_CURSOR_HAND;
    case IDC_IBEAM: return QJX_CURSOR_TEXT;
    case IDC_WAIT: case IDC_APPSTARTING: return QJX_CURSOR_WAIT;
    default: return QJX_CURSOR_ARROW;
  }
}

void InstallHooks() {
  TEmbeddedHooks hooks;
  hooks.Damage = [](HWND wnd, const TRect& r) {
    if (!Procs.Damage) return;
    const TQjxRect rect{r.Left, r.Top, r.Right, r.Bottom};
    Procs.Damage(wnd, &rect, Procs.DamageData);
  };
  hooks.Cursor = [](HWND wnd, int id) {
    if (Procs.Cursor) Procs.Cursor(wnd, CursorOf(id), Procs.CursorData);
  };
  if (Procs.SetClipboard && Procs.GetClipboard) {
    hooks.SetClipboard = [](const std::string& text) {
      Procs.SetClipboard(text.c_str(), Procs.ClipboardData);
    };
    hooks.GetClipboard = []() -> std::string {
      const char* text = Procs.GetClipboard(Procs.ClipboardData);
      return text ? ReadHostString(text, MaxHostText).value_or(std::string()) : std::string();
    };
  }
  SetEmbeddedHooks(std::move(hooks));
}

// Every call starts with no error standing and fails outside the embedded mode.
template <typename F>
int EmbedCall(F f) {
  return Guarded([&] {
    ClearLastError();
    if (!IsEmbedded()) {
      SetLastError("Not in the embedded mode");
      return 0;
    }
    return f();
  }, 0);
}

bool CheckTopLevel(HWND Wnd) {
  if (!IsWindow(Wnd)) {
    SetLastError("Not a window");
    return false;
  }
  if (GetParent(Wnd) || (GetWindowStyle(Wnd) & WS_POPUP)) {
    SetLastError("Not a top-level window of the host");
    return false;
  }
  return true;
}

bool CheckPoint(double X, double Y) {
  if (std::isfinite(X) && std::isfinite(Y)) return true;
  SetLastError("Coordinates must be finite numbers");
  return false;
}

bool CheckModifiers(unsigned Modifiers) {
  if ((Modifiers & ~unsigned(QJX_MOD_SHIFT | QJX_MOD_CONTROL | QJX_MOD_ALT)) == 0) return true;
  SetLastError("Unknown modifier bits: " + std::to_string(Modifiers));
  return false;
}

// Far-off points still go nowhere, without overflowing on the way to the screen.
int Coord(double V) { return int(std::lround(std::clamp(V, -double(1 << 28), double(1 << 28)))); }

void SyncModifiers(unsigned Modifiers) {
  SyncModifierKeys(Modifiers & QJX_MOD_SHIFT, Modifiers & QJX_MOD_CONTROL, Modifiers & QJX_MOD_ALT);
}

bool Inside(HWND Wnd, HWND Other) { return Other && (Other == Wnd || IsChild(Wnd, Other)); }

// Gives the focus back to where it was in Wnd, or to Wnd's viewer (its topmost child).
void FocusIn(HWND Wnd) {
  HWND target = nullptr;
  if (auto it = FocusWithin.find(Wnd); it != FocusWithin.end()) {
    if (IsWindow(it->second) && Inside(Wnd, it->second)) target = it->second;
    FocusWithin.erase(it);
  }
  if (!target) target = GetWindow(Wnd, GW_CHILD);
  SetFocus(target ? target : Wnd);
}

// Whether Text is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(const std::string& Text) {
  const auto* s = reinterpret_cast<const unsigned char*>(Text.data());
  const size_t n = Text.size();
  for (size_t i = 0; i < n;) {
    const unsigned c = s[i];
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (!len || i + len > n) return false;
    uint32_t cp = len == 1 ? c : c & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    static const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

// The viewer a host window holds, for the scrolling the wheel message does not carry.
HWND ViewerWindow(HWND Wnd) {
  const std::unique_ptr<TChtm>& registry = Registry();
  THtmlVHelper* item = registry ? registry->Find(Wnd) : nullptr;
  return item ? item->FViewer->Handle() : nullptr;
}

}  // namespace

extern "C" {

int QjxUseEmbeddedMode(void) {
  return Guarded([] {
    ClearLastError();
    if (!UseEmbeddedBackend()) {
      SetLastError("Windows exist: the embedded mode is chosen before the first window");
      return 0;
    }
    InstallHooks();
    return 1;
  }, 0);
}

int QjxIsEmbedded(void) { return Guarded([] { return int(IsEmbedded()); }, 0); }

int QjxEmbedTimeout(void) {
  return Guarded([] {
    ClearLastError();
    if (!IsEmbedded()) {
      SetLastError("Not in the embedded mode");
      return -1;
    }
    return int(EmbeddedTimeout());
  }, -1);
}

int QjxEmbedDispatch(void) {
  return EmbedCall([] { return int(ProcessMessages()); });
}

int QjxEmbedPixels(HWND Wnd, TQjxPixels* Pixels) {
  return EmbedCall([&] {
    if (!CheckTopLevel(Wnd)) return 0;
    if (!CanWriteHostMemory(Pixels, sizeof *Pixels)) {
      SetLastError("Unwritable pixel record");
      return 0;
    }
    const TEmbeddedPicture picture = EmbeddedPicture(Wnd);
    const TQjxPixels result{picture.Pixels, picture.Width, picture.Height, picture.Stride};
    return int(WriteHostMemory(Pixels, &result, sizeof result));
  });
}

int QjxEmbedSetDamageProc(TQjxDamageProc Proc, void* UserData) {
  return EmbedCall([&] {
    Procs.Damage = Proc;
    Procs.DamageData = UserData;
    return 1;
  });
}

int QjxEmbedSetCursorProc(TQjxCursorProc Proc, void* UserData) {
  return EmbedCall([&] {
    Procs.Cursor = Proc;
    Procs.CursorData = UserData;
    return 1;
  });
}

int QjxEmbedSetClipboardProcs(TQjxClipboardSetProc Set, TQjxClipboardGetProc Get,
                              void* UserData) {
  return EmbedCall([&] {
    if (!Set != !Get) {
      SetLastError("The clipboard needs both procedures or neither");
      return 0;
    }
    Procs.SetClipboard = Set;
    Procs.GetClipboard = Get;
    Procs.ClipboardData = UserData;
    InstallHooks();
    return 1;
  });
}

int QjxEmbedMouseMove(HWND Wnd, double X, double Y, unsigned Modifiers, uint32_t Time) {
  return EmbedCall([&] {
    if (!CheckTopLevel(Wnd) || !CheckPoint(X, Y) || !CheckModifiers(Modifiers)) return 0;
    EmbeddedEventTime(Time);
    SyncModifiers(Modifiers);
    SetEmbeddedPointerWindow(Wnd);
    InjectMouseMoveAt(Wnd, Coord(X), Coord(Y));
    return 1;
  });
}

int QjxEmbedButton(HWND Wnd, int Button, int Pressed, double X, double Y, unsigned Modifiers,
                   uint32_t Time) {
  return EmbedCall([&] {
    if (!CheckTopLevel(Wnd) || !CheckPoint(X, Y) || !CheckModifiers(Modifiers)) return 0;
    if (Button < QJX_BUTTON_LEFT || Button > QJX_BUTTON_MIDDLE) {
      SetLastError("Unknown button: " + std::to_string(Button));
      return 0;
    }
    const uint64_t time = EmbeddedEventTime(Time);
    SyncModifiers(Modifiers);
    SetEmbeddedPointerWindow(Wnd);
    const TMouseButton button =
        Button == QJX_BUTTON_RIGHT ? mbRight : Button == QJX_BUTTON_MIDDLE ? mbMiddle : mbLeft;
    TPoint at{Coord(X), Coord(Y)};
    ClientToScreen(Wnd, &at);
    if (Pressed) InjectMouseDown(button, at, time);
    else InjectMouseUp(button, at, time);
    return 1;
  });
}

int QjxEmbedScroll(HWND Wnd, double DX, double DY, double X, double Y, unsigned Modifiers,
                   uint32_t Time) {
  return EmbedCall([&] {
    if (!CheckTopLevel(Wnd) || !CheckPoint(X, Y) || !CheckModifiers(Modifiers)) return 0;
    if (!std::isfinite(DX) || !std::isfinite(DY) || std::fabs(DX) > kMaxNotches || std::fabs(DY) > kMaxNotches) {
      SetLastError("Scroll deltas must be numbers of notches up to " + std::to_string(kMaxNotches));
      return 0;
    }
    EmbeddedEventTime(Time);
    SyncModifiers(Modifiers);
    SetEmbeddedPointerWindow(Wnd);
    if (WheelWindow != Wnd) {
      WheelWindow = Wnd;
      WheelRestX = WheelRestY = 0;
    }
    // A wheel message scrolls by a notch whatever its delta, so smooth deltas add up to
    // whole notches and each goes as one message.
    WheelRestY += DY;
    const int notches = int(WheelRestY);
    WheelRestY -= notches;
    const int x = Coord(X), y = Coord(Y);
    for (int i = 0; i < std::abs(notches) && IsWindow(Wnd); ++i)
      InjectMouseWheelAt(Wnd, notches > 0 ? -kNotch : kNotch, x, y);
    WheelRestX += DX;
    const int lines = int(WheelRestX * kLinesPerNotch);
    if (lines != 0) {
      WheelRestX -= double(lines) / kLinesPerNotch;
      if (HWND viewer = ViewerWindow(Wnd))
        for (int i = 0; i < std::abs(lines) && IsWindow(viewer); ++i)
          SendMessage(viewer, WM_HSCROLL, lines > 0 ? SB_LINERIGHT : SB_LINELEFT, 0);
      ProcessMessages();
    }
    return 1;
  });
}

int QjxEmbedKey(HWND Wnd, int VirtualKey, int Pressed, unsigned Modifiers, uint32_t Time) {
  return EmbedCall([&] {
    if (!CheckTopLevel(Wnd) || !CheckModifiers(Modifiers)) return 0;
    if (VirtualKey <= 0 || VirtualKey > 255) {
      SetLastError("Virtual keys are 1 to 255: " + std::to_string(VirtualKey));
      return 0;
    }
    EmbeddedEventTime(Time);
    if (!Inside(Wnd, GetFocus())) FocusIn(Wnd);
    SyncModifiers(Modifiers);
    if (!Pressed) {
      InjectKeyUp(VirtualKey);
      return 1;
    }
    InjectKeyDown(VirtualKey);
    // The characters these keys type, as a keyboard's own driver makes them.
    if (!(Modifiers & (QJX_MOD_CONTROL | QJX_MOD_ALT))) {
      if (VirtualKey == VK_BACK) InjectChar('\b');
      if (VirtualKey == VK_TAB) InjectChar('\t');
      if (VirtualKey == VK_RETURN) InjectChar('\r');
      if (VirtualKey == VK_ESCAPE) InjectChar(0x1B);
    }
    return 1;
  });
}

int QjxEmbedText(HWND Wnd, const char* Text) {
  return EmbedCall([&] {
    if (!CheckTopLevel(Wnd)) return 0;
    if (!Text) {
      SetLastError("No text");
      return 0;
    }
    const std::optional<std::string> text = ReadHostString(Text, MaxHostText);
    if (!text) {
      SetLastError("Unreadable text");
      return 0;
    }
    if (!IsUtf8(*text)) {
      SetLastError("Text is not UTF-8");
      return 0;
    }
    if (!Inside(Wnd, GetFocus())) FocusIn(Wnd);
    // Characters go as code points: a field keeps what its document's code page holds.
    // Control characters come with their keys, not as text.
    for (char32_t ch : MultiByteToWideChar(CP_UTF8, *text))
      if (ch >= 0x20 && ch != 0x7F) InjectChar(ch);
    return 1;
  });
}

int QjxEmbedFocus(HWND Wnd, int Focused) {
  return EmbedCall([&] {
    if (!CheckTopLevel(Wnd)) return 0;
    if (Focused) {
      if (!Inside(Wnd, GetFocus())) FocusIn(Wnd);
    } else {
      HWND focus = GetFocus();
      ReleaseAllKeys();
      std::erase_if(FocusWithin, [](const auto& entry) { return !IsWindow(entry.first); });
      if (Inside(Wnd, focus)) {
        FocusWithin[Wnd] = focus;
        SetFocus(nullptr);
      }
    }
    ProcessMessages();
    return 1;
  });
}

int QjxEmbedResize(HWND Wnd, int Width, int Height) {
  return EmbedCall([&] {
    if (!CheckTopLevel(Wnd)) return 0;
    if (!QjxSetWindowSize(Wnd, Width, Height)) return 0;
    ProcessMessages();
    return 1;
  });
}

int QjxKeysymToVirtualKey(uint32_t Keysym) { return VirtualKeyOfKeysym(Keysym); }

}  // extern "C"
