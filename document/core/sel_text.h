// Accumulators for selected text, which is UTF-8: one counts, one fills a caller's buffer,
// one fills its own buffer for the clipboard. Codes 2, 4 and 8 mark objects and breaks inside section
// text and are never counted or copied.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/classes.h"

class SelTextCount : public TObject {
 public:
  virtual void AddText(const char* P, int Len);
  // The text followed by carriage return and line feed.
  void AddTextCR(const char* P, int Len);
  void AddText(std::string_view S) { AddText(S.data(), int(S.size())); }
  // Finishes the text; returns its length (plus one for a buffer's terminating zero).
  virtual int Terminate();

  int Length() const { return FLength; }

 protected:
  char* FBuffer = nullptr;
  int FCapacity = 0;
  int FLength = 0;
};

// Copies into a caller's buffer of Capacity characters, keeping room for the terminating
// zero; text that does not fit is dropped, and with it any character cut in two.
class SelTextBuf : public SelTextCount {
 public:
  SelTextBuf(char* Buffer, int Capacity);
  void AddText(const char* P, int Len) override;
  int Terminate() override;
};

// A text of its own, as long as the selection, put on the clipboard by Terminate.
class ClipBuffer : public SelTextBuf {
 public:
  ClipBuffer();
  void AddText(const char* P, int Len) override;
  int Terminate() override;
  const std::string& Text() const { return FText; }

 private:
  std::string FText;
};
