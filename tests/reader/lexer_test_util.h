// Runs the lexer over a text and records what it produced, for the lexer tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reader/lexer.h"

struct TLexedSymbol {
  TSymbol Sym;
  std::string Text;
  std::vector<int> Positions;
  TAttributeList Attributes;
  int HeadingLevel;
  int TagStart;
};

// Symbols up to and not including symEof (at most Limit of them, so a fault cannot hang).
inline std::vector<TLexedSymbol> LexAll(TLexer& Lexer, std::string_view Source, size_t Limit = 100000) {
  std::vector<TLexedSymbol> Out;
  Lexer.Start(Source);
  Lexer.NextChar();
  Lexer.NextSymbol();
  while (Lexer.CurSym != symEof && Out.size() < Limit) {
    TLexedSymbol S{Lexer.CurSym, Lexer.CurToken.AsString(), {}, Lexer.CurAttributes,
                   Lexer.HeadingLevel, Lexer.TagStart};
    for (int I = 0; I < Lexer.CurToken.Count(); ++I) S.Positions.push_back(Lexer.CurToken.Indexes(I));
    Out.push_back(std::move(S));
    Lexer.NextSymbol();
  }
  return Out;
}

inline std::vector<TLexedSymbol> LexAll(std::string_view Source) {
  TLexer Lexer;
  return LexAll(Lexer, Source);
}

// The text of consecutive text symbols joined, other symbols written as "<sym N>".
inline std::string Joined(const std::vector<TLexedSymbol>& Symbols) {
  std::string R;
  for (const TLexedSymbol& S : Symbols) {
    if (S.Sym == symText)
      R += S.Text;
    else
      R += "<sym " + std::to_string(S.Sym) + ">";
  }
  return R;
}

inline std::string JoinedText(std::string_view Source) { return Joined(LexAll(Source)); }
