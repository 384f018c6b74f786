// Panels in the flow of text: a window the host fills (announced through the document's
// panel events), placed on its line like an image.
#pragma once

#include <memory>
#include <string>

#include "document/document_objects.h"
#include "document/section_base.h"
#include "document/text_section.h"

class TPanel;

// What a PANEL tag says, as the reader found it.
struct TPanelAttributes {
  std::string Name, Src, Alt, Type;
  int Align = 4;                 // 1 top, 2 middle, 4 baseline, 5 left float, 6 right float
  int Width = 0;                 // pixels, or percent when WidthIsPercent; 0 none
  bool WidthIsPercent = false;
  int Height = 0;
  int HSpace = 3, VSpace = 0;
  double Ratio = 0;              // height = ratio x width when above 0
};

class TPanelObj : public TIDObject, public TInlineObject, public TDocControl {
 public:
  // Makes the panel out of sight on the document's paint surface and tells the host
  // (OnPanelCreate), which may size and fill it. Without a paint surface there is no
  // window, only the size.
  TPanelObj(TSectionList* ADocument, const TPanelAttributes& A);
  // The print copy: the size and the alternative text; it prints a likeness.
  TPanelObj(TSectionList* ADocument, const TPanelObj& Source);
  ~TPanelObj() override;
  TPanelObj(const TPanelObj&) = delete;
  TPanelObj& operator=(const TPanelObj&) = delete;

  int GetTopY() override { return FPaintY; }

  // TInlineObject.
  bool Floating() const override { return FAlign == 5 || FAlign == 6; }
  void SizeFor(int Width) override;
  bool PercentWidth() const override { return FWidthIsPercent; }
  int HorzExtent() const override { return FBoxWidth + FSpaceLeft + FSpaceRight; }
  int Height() const override { return FBoxHeight + (Floating() ? 0 : FSpaceTop + FSpaceBottom); }
  int VertSpacing() const override { return Floating() ? FSpaceTop + FSpaceBottom : 0; }
  int VAlign() const override { return FAlign; }
  void SetLayoutY(int Y) override { FLayoutY = Y; }
  TFloatImageBox FloatBox() const override;
  void SetFloatIndent(int Indent) override { FFloatX = Indent; }
  void Draw(TCanvas* Canvas, int X, int TopY, int Baseline) override;
  void DrawFloating(TCanvas* Canvas, TSectionList* Doc, int LeftEdge, const TRect& ARect) override;
  std::unique_ptr<TInlineObject> Clone(TSectionList* ADocument) const override;

  // TDocControl.
  bool Shown() const override { return FShown; }
  void SetShown(bool Value) override { FShown = Value; }
  void Hide() override;
  void ParkOffSurface() override;
  bool HasFocus() const override;

  TPanel* Panel() const { return FPanel.get(); }
  int BoxWidth() const { return FBoxWidth; }
  int BoxHeight() const { return FBoxHeight; }

 private:
  // Puts the panel at (X, Y), client coordinates, and shows it; a print copy draws its likeness.
  void PlaceAt(TCanvas* Canvas, int X, int Y);

  TSectionList* FDocument;
  std::unique_ptr<TPanel> FPanel;
  std::string FAltText;
  uint8_t FAlign = 4;
  int FSpaceLeft = 3, FSpaceRight = 3, FSpaceTop = 0, FSpaceBottom = 0;
  int FWantWidth = 0;
  bool FWidthIsPercent = false;
  double FRatio = 0;
  int FBoxWidth = 30, FBoxHeight = 20;
  bool FShown = false;
  bool FPrintLikeness = false;
  int FLayoutY = 0, FFloatX = 0, FPaintY = 0;
};
