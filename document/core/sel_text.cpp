#include "document/core/sel_text.h"

#include <algorithm>
#include <cstdint>

#include "toolkit/windows/clipboard.h"

namespace {
inline bool IsMarker(char c) { return c == 2 || c == 4 || c == 8; }
}  // namespace

void SelTextCount::AddText(const char* P, int Len) {
  for (int i = 0; i < Len; ++i)
    if (!IsMarker(P[i])) ++FLength;
}

void SelTextCount::AddTextCR(const char* P, int Len) {
  AddText(P, Len);
  AddText("\r\n", 2);
}

int SelTextCount::Terminate() { return FLength; }

SelTextBuf::SelTextBuf(char* Buffer, int Capacity) {
  FBuffer = Buffer;
  FCapacity = Capacity;
}

void SelTextBuf::AddText(const char* P, int Len) {
  for (int i = 0; i < Len && FLength < FCapacity - 1; ++i)
    if (!IsMarker(P[i])) FBuffer[FLength++] = P[i];
}

int SelTextBuf::Terminate() {
  // Text cut short at the end of the buffer ends with whole UTF-8 characters.
  if (FLength > 0 && FLength == FCapacity - 1) {
    int Start = FLength - 1;
    while (Start > 0 && FLength - Start < 4 && (uint8_t(FBuffer[Start]) & 0xC0) == 0x80) --Start;
    const auto Lead = uint8_t(FBuffer[Start]);
    const int Need = Lead >= 0xF0 ? 4 : Lead >= 0xE0 ? 3 : Lead >= 0xC0 ? 2 : 1;
    if (Lead >= 0x80 && FLength - Start < Need) FLength = Start;
  }
  if (FCapacity > 0) FBuffer[FLength] = '\0';
  return FLength + 1;
}

ClipBuffer::ClipBuffer() : SelTextBuf(nullptr, 0) {}

void ClipBuffer::AddText(const char* P, int Len) {
  // Nothing of the user's selection is dropped, however long.
  for (int i = 0; i < Len; ++i)
    if (!IsMarker(P[i])) FText += P[i];
  FLength = int(std::min<size_t>(FText.size(), size_t(INT32_MAX - 1)));
}

int ClipBuffer::Terminate() {
  SetClipboardText(FText);
  return FLength + 1;
}
