// Character references: "&name;", "&#digits;" and "&#xhex;", in text and in attribute values.
#include <string>

#include "common/codepage.h"
#include "reader/lexer.h"
#include "reader/symbols.h"

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
    // UTF-8 text reaches every scalar value; the 8-bit pages stop at five digits.
    const bool Unicode = TextCodePage(AttributeMode) == CP_UTF8;
    const int MaxDigits = Unicode ? (Hex ? 6 : 7) : 5;
    int Digits = 0;
    int Value = 0;
    while (Hex ? IsHexDigit(CurCh) : IsDigit(CurCh)) {
      if (Digits == MaxDigits) {
        Digits = -1;  // one digit too many: not a reference
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
    char Name[MaxEntityName];
    int Length = 0;
    while (IsLetterOrDigit(CurCh)) {
      if (Length == MaxEntityName) {
        Length = -1;  // a name longer than any: not a reference
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
  char Bytes[4];
  int Count = EncodeCode(Code, Numeric, AttributeMode, Bytes);
  // Inside attribute values a non-breaking space is a plain one.
  if (AttributeMode && Bytes[0] == 5) Bytes[0] = ' ';
  for (int I = 0; I < Count; ++I) Out.Append(Bytes[I], AmpPos + I);
}

int TLexer::TextCodePage(bool AttributeMode) const {
  return AttributeMode ? SystemCodePage
                       : CharsetToCodePage(OnTextCharset ? OnTextCharset() : uint8_t(ANSI_CHARSET));
}

// Numeric references name bytes from 32 to 255 directly; everything else is one UTF-16 unit
// converted to the target code page, so "&eacute;" in a Cyrillic document is the Cyrillic
// page's idea of U+00E9. In UTF-8 text a reference is a scalar value, read as browsers do:
// 128 to 159 as Windows-1252, nothing valid as U+FFFD.
int TLexer::EncodeCode(int Code, bool Numeric, bool AttributeMode, char* Bytes) {
  if (TextCodePage(AttributeMode) == CP_UTF8 && !(Numeric && (Code == 9 || Code == 10))) {
    char32_t C = char32_t(Code);
    if (Numeric && C >= 0x80 && C <= 0x9F) C = SingleByteTable(1252)[C];
    if (C == 0) C = 0xFFFD;
    return EncodeUtf8Char(C, Bytes);
  }
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
  const int CodePage = TextCodePage(AttributeMode);
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
