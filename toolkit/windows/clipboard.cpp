#include "toolkit/windows/clipboard.h"

#include "toolkit/windows/window_backend.h"

void SetClipboardText(const std::string& text) {
  // Text ends at its first zero byte, as zero-terminated clipboard text does.
  WindowBackend().SetClipboardText(text.substr(0, text.find('\0')));
}
std::string GetClipboardText() { return WindowBackend().GetClipboardText(); }
bool HasClipboardText() { return !GetClipboardText().empty(); }
void EmptyClipboard() { WindowBackend().SetClipboardText(std::string()); }
