// Japanese input to Shift_JIS: ISO-2022-JP (7-bit, switched by escape sequences) and EUC-JP.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// True when the text holds ESC $ @ or ESC $ B, the switches into double-byte mode.
bool HasIso2022JpEscape(std::string_view Text);

// Every byte is taken in 7 bits; the escape sequences are dropped, so the result may be shorter.
std::string Iso2022JpToShiftJis(std::string_view Text);

// In place: the length and the place of every character stay the same.
void EucJpToShiftJis(char* Text, size_t Length);
