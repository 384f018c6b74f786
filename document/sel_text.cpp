#include "document/sel_text.h"

#include "toolkit/clipboard.h"

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
  if (FCapacity > 0) FBuffer[FLength] = '\0';
  return FLength + 1;
}

ClipBuffer::ClipBuffer() : SelTextBuf(nullptr, ClipCapacity), FStorage(size_t(ClipCapacity)) {
  FBuffer = FStorage.data();
}

int ClipBuffer::Terminate() {
  const int result = SelTextBuf::Terminate();
  SetClipboardText(std::string(FBuffer, size_t(FLength)));
  return result;
}
