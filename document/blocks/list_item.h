// List items: a block with a marker (bullet, number, letter or roman numeral) drawn left of
// its first line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "document/blocks/block.h"

class TMyFont;

// The kind of list an item stands in.
enum class TListKind : uint8_t { Ordered = 1, Unordered = 2, Definition = 3, NotInList = 4 };

class TBlockLI : public TBlock {
 public:
  // TypeChar is an ordered list's TYPE ("1", "a", "A", "i", "I"); Plain an unordered list
  // without bullets; Level the list nesting depth, which picks the bullet.
  TBlockLI(TSectionList* ADocument, const TAttributeList* Attributes, TCellBasic* AOwnerCell,
           TProperties& Prop, TListKind Kind, bool Plain, char TypeChar, int ItemNumber,
           int Level);
  TBlockLI(TSectionList* ADocument, const TBlockLI& Source);
  ~TBlockLI() override;
  std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const override;

  int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
             IndentManager* IMgr, int& MaxWidth, int& Curs) override;
  int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
           int YRef) override;

  // The marker's text for a text style ("3.", "c.", "iv."), empty for the others.
  static std::string MarkerText(TMarkerStyle Style, int Number);

  TListKind FListKind;
  TMarkerStyle FMarkerStyle = TMarkerStyle::Disc;
  int FItemNumber = 0;
  bool FMarkerInside = false;  // the marker is text at the start of the first line
  int FFirstLineBaseline = 0;  // document Y of the first line's baseline; 0 without one
  std::shared_ptr<const TMyFont> FMarkerFont;
  // A list-style image replaces the marker once it is had; one that cannot be had leaves
  // the marker of the style.
  std::string FMarkerImageName;
  TBitmap* FMarkerImage = nullptr;  // the cache's, held while the item lives
  TBitmap* FMarkerMask = nullptr;
  bool FMarkerImageLoaded = false;
};
