// The clipboard, text only: 8-bit text as the document holds it. Headless it lives in
// this process; a display backend shares it with other programs, converting between the
// default code page (1252) and what they ask for (UTF-8 or Latin-1).
#pragma once

#include <string>

void SetClipboardText(const std::string& text);
// Empty when the clipboard holds no text.
std::string GetClipboardText();
bool HasClipboardText();
void EmptyClipboard();
