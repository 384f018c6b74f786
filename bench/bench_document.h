// A document built and laid out at 800 pixels without a viewer, for the benchmarks that
// print or measure a document alone.
#pragma once

#include <memory>
#include <string>

#include "document/core/section_list.h"
#include "reader/builder.h"

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
