// Character references: "&name;", "&#digits;" and "&#xhex;", in text and in attribute values.
#include <string>

#include "common/codepage.h"
#include "reader/lexer.h"

namespace {

bool IsDigit(char C) { return C >= '0' && C <= '9'; }
bool IsHexDigit(char C) { return IsDigit(C) || (C >= 'a' && C <= 'f') || (C >= 'A' && C <= 'F'); }
bool IsLetterOrDigit(char C) { return IsDigit(C) || (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }

int HexValue(char C) {
  if (C <= '9') return C - '0';
  return (C | 0x20) - 'a' + 10;
}

}  // namespace

void TLexer::DecodeEntity(TLexToken& Out, bool AttributeMode) {
  FRaw.Clear();
  const int AmpPos = SourcePos;
  auto Take = [this] {
    FRaw.Append(CurCh, SourcePos);
    Advance();
  };
  Take();  // the "&"
  int Code = -1;
  bool Ellipsis = false;
  const bool Numeric = CurCh == '#';
  if (Numeric) {
    Take();
    bool Hex = false;
    if (CurCh == 'x' || CurCh == 'X') {
      Hex = true;
      Take();
    }
    int Digits = 0;
    int Value = 0;
    while (Hex ? IsHexDigit(CurCh) : IsDigit(CurCh)) {
      if (Digits == 5) {
        Digits = -1;  // a sixth digit: not a reference
        break;
      }
      Value = Value * (Hex ? 16 : 10) + HexValue(CurCh);
      ++Digits;
      Take();
    }
    if (Digits > 0) {
      if (CurCh == ';') Take();
      Code = Value;
    }
  } else {
    char Name[6];
    int Length = 0;
    while (IsLetterOrDigit(CurCh)) {
      if (Length == 6) {
        Length = -1;  // a seventh character: not a reference
        break;
      }
      Name[Length++] = CurCh;
      Take();
    }
    if (Length > 0) {
      if (CurCh == ';') Take();
      std::string_view N(Name, Length);
      if (N == "hellip")
        Ellipsis = true;
      else
        Code = FindEntity(N);
    }
  }

  if (Ellipsis) {
    for (int I = 0; I < 3; ++I) Out.Append('.', AmpPos + I);
    return;
  }
  if (Code < 0) {
    Out.AppendToken(FRaw);
    return;
  }
  char Bytes[2];
  int Count = EncodeCode(Code, Numeric, AttributeMode, Bytes);
  // Inside attribute values a non-breaking space is a plain one.
  if (AttributeMode && Bytes[0] == 5) Bytes[0] = ' ';
  Out.Append(Bytes[0], AmpPos);
  if (Count > 1) Out.Append(Bytes[1], AmpPos + 1);
}

// Numeric references name bytes from 32 to 255 directly; everything else is one UTF-16 unit
// converted to the target code page, so "&eacute;" in a Cyrillic document is the Cyrillic
// page's idea of U+00E9.
int TLexer::EncodeCode(int Code, bool Numeric, bool AttributeMode, char* Bytes) {
  if (Numeric) {
    if (Code == 9) {
      Bytes[0] = ' ';
      return 1;
    }
    if (Code == 10 || (Code >= 32 && Code <= 255)) {
      Bytes[0] = static_cast<char>(Code);
      return 1;
    }
  }
  char16_t Unit = static_cast<char16_t>(Code & 0xFFFF);
  if (Unit < 0x80) {
    Bytes[0] = static_cast<char>(Unit);  // ASCII is the same in every code page
    return 1;
  }
  int CodePage = AttributeMode ? SystemCodePage
                               : CharsetToCodePage(OnTextCharset ? OnTextCharset() : uint8_t(ANSI_CHARSET));
  char32_t Wide = Unit;
  std::string Result = WideCharToMultiByte(CodePage, std::u32string_view(&Wide, 1));
  if (Result.empty()) {
    Bytes[0] = '?';
    return 1;
  }
  Bytes[0] = Result[0];
  if (Result.size() < 2) return 1;
  Bytes[1] = Result[1];
  return 2;
}
