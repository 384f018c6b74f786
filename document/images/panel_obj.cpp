#include "document/images/panel_obj.h"

#include <algorithm>
#include <cmath>

#include "document/core/section_list.h"
#include "toolkit/controls/controls_button.h"

TPanelObj::TPanelObj(TSectionList* ADocument, const TPanelAttributes& A)
    : FDocument(ADocument), FAltText(A.Alt) {
  FAlign = A.Align;
  FBoxWidth = 30;
  FBoxHeight = 20;
  FSpaceLeft = FSpaceRight = std::min(40, std::abs(A.HSpace));
  FSpaceTop = FSpaceBottom = std::min(40, std::abs(A.VSpace));
  FWidthIsPercent = A.WidthIsPercent;
  FWantWidth = A.WidthIsPercent ? std::clamp(A.Width, 1, 100) : std::clamp(A.Width, 0, 32000);
  FRatio = std::isfinite(A.Ratio) && A.Ratio > 0 && A.Ratio < 1000 ? A.Ratio : 0;
  if (!A.WidthIsPercent && FWantWidth > 0) FBoxWidth = FWantWidth;
  if (A.Height > 0) FBoxHeight = std::min(A.Height, 32000);
  if (!FDocument || !FDocument->PaintPanel) return;
  FPanel = std::make_unique<TPanel>(nullptr, FDocument->PaintPanel, -4000, -4000, FBoxWidth,
                                    FBoxHeight);
  FPanel->SetBevelOuter(bvNone);
  FPanel->SetColor(clWhite);
  FPanel->Hide();
  // The host may size and fill the panel.
  if (FDocument->Hooks.OnPanelCreate)
    FDocument->Hooks.OnPanelCreate(FDocument->Viewer, A.Name, A.Type, A.Src, FPanel.get());
  FBoxWidth = std::max(1, FPanel->Width());
  FBoxHeight = std::max(1, FPanel->Height());
  FDocument->Panels.push_back(this);
}

TPanelObj::TPanelObj(TSectionList* ADocument, const TPanelObj& Source)
    : TFloatingObj(Source),
      FDocument(ADocument),
      FAltText(Source.FAltText),
      FWantWidth(Source.FWantWidth),
      FWidthIsPercent(Source.FWidthIsPercent),
      FRatio(Source.FRatio),
      FPrintLikeness(true) {}

TPanelObj::~TPanelObj() {
  if (!FDocument) return;
  auto& panels = FDocument->Panels;
  panels.erase(std::remove(panels.begin(), panels.end(), static_cast<TDocControl*>(this)),
               panels.end());
  if (FPanel && FDocument->Hooks.OnPanelDestroy)
    FDocument->Hooks.OnPanelDestroy(FDocument->Viewer, FPanel.get());
}

std::unique_ptr<TInlineObject> TPanelObj::Clone(TSectionList* ADocument) const {
  return std::make_unique<TPanelObj>(ADocument, *this);
}

void TPanelObj::SizeFor(int Width) {
  if (FWidthIsPercent && Width > 0) FBoxWidth = std::max(1, int(int64_t(Width) * FWantWidth / 100));
  if (FRatio > 0) FBoxHeight = std::clamp(int(std::lround(FRatio * FBoxWidth)), 1, 32000);
  if (FPanel && (FPanel->Width() != FBoxWidth || FPanel->Height() != FBoxHeight))
    FPanel->SetBounds(FPanel->Left(), FPanel->Top(), FBoxWidth, FBoxHeight);
}

void TPanelObj::Draw(TCanvas* Canvas, const TPaintContext& Context, int X, int TopY,
                     int Baseline) {
  if (!Floating()) PlaceAt(Canvas, Context, X + FSpaceLeft, InlineTop(TopY, Baseline));
}

void TPanelObj::DrawFloating(TCanvas* Canvas, const TPaintContext& Context, int LeftEdge, int) {
  int top = 0;
  if (FloatTop(Context, top)) PlaceAt(Canvas, Context, LeftEdge + FFloatX, top);
}

void TPanelObj::PlaceAt(TCanvas* Canvas, const TPaintContext& Context, int X, int Y) {
  FPaintY = Y + Context.ScrollY;
  if (FPrintLikeness || !FPanel || FDocument->Printing) {
    // Printed: a framed white box with the alternative text.
    if (!Canvas) return;
    const TRect box{X, Y, X + FBoxWidth, Y + FBoxHeight};
    Canvas->FillRect(box, clWhite);
    const TBrush saved = Canvas->Brush;
    Canvas->Brush = TBrush{clBlack, bsSolid};
    Canvas->FrameRect(box);
    Canvas->Brush = saved;
    if (!FAltText.empty() && FBoxWidth > 30 && FBoxHeight > 30)
      Canvas->TextRect(TRect{X + 15, Y + 15, box.Right - 15, box.Bottom - 15}, X + 15, Y + 15,
                       FAltText);
    return;
  }
  if (FPanel->Left() != X || FPanel->Top() != Y)
    FPanel->SetBounds(X, Y, FBoxWidth, FBoxHeight);
  if (!FPanel->Visible()) FPanel->Show();
  FShown = true;
}

void TPanelObj::Hide() {
  if (FPanel) FPanel->Hide();
  FShown = false;
}

void TPanelObj::ParkOffSurface() {
  if (FPanel) FPanel->SetBounds(-4000, FPanel->Top(), FBoxWidth, FBoxHeight);
}

bool TPanelObj::HasFocus() const { return FPanel && FPanel->Focused(); }
