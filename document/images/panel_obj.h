// Panels in the flow of text: a window the host fills (announced through the document's
// panel events), placed on its line like an image.
#pragma once

#include <memory>
#include <string>

#include "document/core/document_objects.h"
#include "document/core/floating_obj.h"

class TPanel;

// What a PANEL tag says, as the reader found it.
struct TPanelAttributes {
  std::string Name, Src, Alt, Type;
  TObjectAlign Align = TObjectAlign::Baseline;
  int Width = 0;                 // pixels, or percent when WidthIsPercent; 0 none
  bool WidthIsPercent = false;
  int Height = 0;
  int HSpace = 3, VSpace = 0;
  double Ratio = 0;              // height = ratio x width when above 0
};

class TPanelObj : public TFloatingObj, public TDocControl {
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

  // TInlineObject.
  void SizeFor(int Width) override;
  bool PercentWidth() const override { return FWidthIsPercent; }
  void Draw(TCanvas* Canvas, const TPaintContext& Context, int X, int TopY, int Baseline) override;
  void DrawFloating(TCanvas* Canvas, const TPaintContext& Context, int LeftEdge,
                    int TextBottom) override;
  std::unique_ptr<TInlineObject> Clone(TSectionList* ADocument) const override;

  // TDocControl.
  bool Shown() const override { return FShown; }
  void SetShown(bool Value) override { FShown = Value; }
  void Hide() override;
  void ParkOffSurface() override;
  bool HasFocus() const override;

  TPanel* Panel() const { return FPanel.get(); }

 private:
  // Puts the panel at (X, Y), client coordinates, and shows it; a print copy draws its likeness.
  void PlaceAt(TCanvas* Canvas, const TPaintContext& Context, int X, int Y);

  TSectionList* FDocument;
  std::unique_ptr<TPanel> FPanel;
  std::string FAltText;
  int FWantWidth = 0;
  bool FWidthIsPercent = false;
  double FRatio = 0;
  bool FShown = false;
  bool FPrintLikeness = false;
};
