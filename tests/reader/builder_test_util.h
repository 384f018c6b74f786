// A document to build into, and walks over what the builder made.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/blocks/block.h"
#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/tables/table.h"
#include "reader/builder.h"

struct TBuiltDoc {
  TSectionList Doc{nullptr, nullptr};
  TBuildResult Result;
  TBuildHandlers Handlers;

  TBuiltDoc() {
    Doc.ApplyDefaults("Arial", "Courier New", 10, 5, 0, true, true, clWhite, 0xFF, 0x800080,
                      0xFF0000, 0, 12);
  }
  void Build(const std::string& Html) { Result = ParseHtmlDocument(Html, &Doc, Handlers); }
  TBodyBlock* Body() const { return dynamic_cast<TBodyBlock*>(Doc.Items(Doc.Count() - 1)); }
};

// Text sections in document order, with the blocks that hold them (innermost first).
struct TFoundSection {
  TSection* Section;
  std::vector<TBlock*> Blocks;
};

inline void CollectSections(TCellBasic& Cell, std::vector<TBlock*>& Path,
                            std::vector<TFoundSection>& Out) {
  for (int I = 0; I < Cell.Count(); ++I) {
    TSectionBase* S = Cell.Items(I);
    if (auto* B = dynamic_cast<TBlock*>(S)) {
      Path.insert(Path.begin(), B);
      CollectSections(B->MyCell, Path, Out);
      Path.erase(Path.begin());
    } else if (auto* T = dynamic_cast<TSection*>(S)) {
      Out.push_back({T, Path});
    } else if (auto* Table = dynamic_cast<ThtmlTable*>(S)) {
      for (int R = 0; R < Table->RowCount(); ++R)
        for (auto& C : Table->Row(R).FCells)
          if (C) CollectSections(C->FCell, Path, Out);
    }
  }
}

inline std::vector<TFoundSection> Sections(TSectionList& Doc) {
  std::vector<TFoundSection> Out;
  std::vector<TBlock*> Path;
  CollectSections(Doc, Path, Out);
  return Out;
}

// The run covering the first occurrence of Text.
inline TFontObj* RunOf(TSectionList& Doc, const std::string& Text) {
  for (auto& F : Sections(Doc)) {
    const size_t P = F.Section->FText.find(Text);
    if (P == std::string::npos) continue;
    int Index = 0;
    return F.Section->FFontRuns.RunAt(int(P), Index);
  }
  return nullptr;
}
