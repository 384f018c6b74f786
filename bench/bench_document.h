// A document built and laid out at 800 pixels without a viewer, for the benchmarks that
// print or measure a document alone, and the repetition the hostile pages are made of.
#pragma once

#include <memory>
#include <string>

#include "document/core/section_list.h"
#include "reader/builder.h"

// Piece, Count times over: the hostile pages are made of one fragment repeated.
inline std::string Repeat(const std::string& Piece, int Count) {
  std::string Out;
  Out.reserve(Piece.size() * size_t(Count));
  for (int I = 0; I < Count; ++I) Out += Piece;
  return Out;
}

inline std::unique_ptr<TSectionList> BuildLaidOutDocument(const std::string& Html) {
  auto Doc = std::make_unique<TSectionList>(nullptr, nullptr);
  Doc->ApplyDefaults("Arial", "Courier New", 10, 5, 0, true, true, clWhite, 0xFF, 0x800080,
                     0xFF0000, 0, 12);
  TBuildHandlers H;
  ParseHtmlDocument(Html, Doc.get(), H);
  TCanvas Canvas;
  int SW = 0, Curs = 0;
  Doc->LayoutCell(&Canvas, 0, 800, 600, SW, Curs);
  return Doc;
}
