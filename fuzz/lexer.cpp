// Arbitrary bytes through the lexer to the end of input, with an include handler that splices
// in text and a charset lookup that may convert the document half-way.
#include <cstddef>
#include <cstdint>
#include <string>

#include "reader/lexer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string Source(reinterpret_cast<const char*>(Data), Size);
  TLexer Lexer;
  Lexer.OnInclude = [](const std::string&, std::unique_ptr<TStringList> Params, const char*& Buffer,
                       int& BuffSize) {
    static const char Text[] = "<b a=\"&amp;\">inc</b><!--#x-->";
    Buffer = Text;
    BuffSize = static_cast<int>(sizeof(Text) - 1);
  };
  Lexer.OnTextCharset = [] { return uint8_t(128); };  // a double-byte page for references
  Lexer.OnProgress = [](int) {};
  size_t Symbols = 0;
  try {
    Lexer.Start(Source);
    Lexer.NextChar();
    for (Lexer.NextSymbol(); Lexer.CurSym != symEof; Lexer.NextSymbol()) {
      if (++Symbols > 2 * Size + 16) __builtin_trap();  // every symbol consumes input
      if (Lexer.CurSym == symMeta) {
        uint8_t Charset;
        for (const TAttribute& A : Lexer.CurAttributes) Lexer.CharsetFromName(A.StrValue, Charset);
      }
      if (Lexer.CurSym == symStyle) {
        auto GetChar = Lexer.CharSource();
        while (Lexer.CurCh != '<' && Lexer.CurCh != 26) GetChar();
      }
      Lexer.CurAttributes.IDValue();
    }
  } catch (const EParseError&) {
  }
  return 0;
}
