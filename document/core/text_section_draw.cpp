// Drawing of text sections: lines, pieces, selection colours, caret and print rules.
#include <algorithm>
#include <bit>
#include <limits>

#include "document/core/indent_manager.h"
#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/core/text_walk.h"

namespace {

constexpr int MaxPiece = 32000;

// A printed page's clip reaches a device pixel above its band, which a line ending right
// at the band may still mark; lines ending this far above it cannot.
constexpr int PrintedAboveMargin = 2;

TColor InvertColor(TColor C) { return (~C) & 0xFFFFFF; }

}  // namespace

void TSection::MakeFloatRows() {
  if (!FRare->Floats) FRare->Floats = std::make_unique<TFloatRows>();
  TFloatRows& F = *FRare->Floats;
  F.Rows.clear();
  F.Classes.clear();
  F.Unplaced.clear();
  F.Made = true;
  const std::vector<TObjEntry>& Objs = FRare->Objects;
  for (size_t I = 0; I < Objs.size(); ++I) {
    if (!Objs[I].Obj->Floating()) continue;
    TFloatRow R;
    R.Index = static_cast<uint32_t>(I);
    if (Objs[I].Obj->FloatRows(R.Top, R.Bottom))
      F.Rows.push_back(R);
    else
      F.Unplaced.push_back(R.Index);
  }
  // A tall float beside thousands of short ones must not make every band look back over
  // all of them: each class of heights is searched with its own tallest.
  auto HeightOf = [](const TFloatRow& R) {
    return static_cast<int>(std::clamp<long long>(static_cast<long long>(R.Bottom) - R.Top, 0,
                                                  std::numeric_limits<int>::max()));
  };
  auto ClassOf = [&](const TFloatRow& R) {
    return std::bit_width(static_cast<unsigned>(HeightOf(R)));
  };
  std::sort(F.Rows.begin(), F.Rows.end(), [&](const TFloatRow& A, const TFloatRow& B) {
    const int CA = ClassOf(A), CB = ClassOf(B);
    if (CA != CB) return CA < CB;
    if (A.Top != B.Top) return A.Top < B.Top;
    return A.Index < B.Index;
  });
  for (size_t I = 0; I < F.Rows.size(); ++I) {
    if (I == 0 || ClassOf(F.Rows[I]) != ClassOf(F.Rows[I - 1]))
      F.Classes.push_back({static_cast<uint32_t>(I), static_cast<uint32_t>(I), 0});
    TFloatClass& C = F.Classes.back();
    C.End = static_cast<uint32_t>(I + 1);
    C.Height = std::max(C.Height, HeightOf(F.Rows[I]));
  }
}

void TSection::DrawFloats(TCanvas* Canvas, const TPaintContext& Context, int LeftEdge,
                          int TextBottom) {
  if (!FRare || FRare->Objects.empty()) return;
  if (!FRare->Floats || !FRare->Floats->Made) MakeFloatRows();
  TFloatRows& F = *FRare->Floats;
  const long long BandTop = static_cast<long long>(Context.Band.Top) + Context.ScrollY;
  const long long BandBottom = static_cast<long long>(Context.Band.Bottom) + Context.ScrollY;
  std::vector<uint32_t> Met = F.Unplaced;
  for (const TFloatClass& C : F.Classes) {
    const auto End = F.Rows.begin() + C.End;
    // A float starting Height or more above the band ends above it.
    auto It = std::upper_bound(F.Rows.begin() + C.Begin, End, BandTop - C.Height,
                               [](long long Y, const TFloatRow& R) { return Y < R.Top; });
    for (; It != End && It->Top < BandBottom; ++It) {
      ++F.Visited;
      if (It->Bottom > BandTop) Met.push_back(It->Index);
    }
  }
  F.Visited += static_cast<long long>(F.Unplaced.size());
  // Floats that overlap paint in the order of the text.
  std::sort(Met.begin(), Met.end());
  for (uint32_t I : Met)
    if (I < FRare->Objects.size())
      FRare->Objects[I].Obj->DrawFloating(Canvas, Context, LeftEdge, TextBottom);
}

int TSection::Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X,
                   int /*XRef*/, int /*YRef*/) {
  FDrawLeft = X;
  const int Result = FLayoutY - FParaTop + FFlowHeight;  // where the box ends
  const int L = Len();
  if (!Canvas || !FDocument || L <= 0) return Result;
  TSectionList* Doc = FDocument;
  const TRect& ARect = Context.Band;
  const int ScrollY = Context.ScrollY;
  // Floating images may reach below the section's own text.
  const int TextBottom = Result - FParaBottom;
  DrawFloats(Canvas, Context, IMgr ? IMgr->FLeftEdge : X, TextBottom);
  if (FPaintBottom - ScrollY < ARect.Top || FPaintTop - ScrollY >= ARect.Bottom) return Result;
  const bool Printing = Context.ForPrinter || Doc->PrintsPages();
  const int SS = Doc->SelStart - FStartPos, SE = Doc->SelEnd - FStartPos;
  const bool ShowCaret = !Printing && Doc->ShowDummyCaret && Doc->SelStart == Doc->SelEnd;
  Canvas->SetTextAlign(TA_BASELINE);

  int LineTop = FLayoutY;
  for (const LineRec& Line : FLines) {
    const int Band = LineTop - ScrollY;
    const int Advance = Line.Advance();
    if (!Printing) {
      if (Band + Line.PaintHeight <= ARect.Top || Band >= ARect.Bottom) {
        LineTop += Advance;
        continue;
      }
    } else if (Band + Line.PaintHeight + PrintedAboveMargin <= ARect.Top) {
      // Printed on an earlier page: a page draws only its own lines, so a long section
      // costs each page its share, not everything above it again.
      LineTop += Advance;
      continue;
    } else if (LineTop + Line.PaintHeight > Context.PageLimit &&
               Line.PaintHeight < ARect.Bottom - ARect.Top && !Context.PageCut) {
      // The line starts the next page.
      if (LineTop < Context.PageLimit) Context.PageLimit = LineTop;
      break;
    }
    const int Base = LineTop + Line.GapAbove + Line.TextHeight - ScrollY;
    bool NewPos = true;
    const int End = Line.TextStart + Line.CharCount;
    const bool HasBoxes = FRare && !FRare->Boxes.empty();
    size_t NextBox = 0;
    if (HasBoxes) PaintInlineBoxes(Canvas, Context, Line, X, Base, NextBox, Line.TextStart);
    TPieceWalker W(*this, Line.TextStart, End, X + Line.Indent);
    while (W.More()) {
      const int P = W.Pos();
      if (HasBoxes) {
        // Painting a box may move the pen.
        const size_t Before = NextBox;
        PaintInlineBoxes(Canvas, Context, Line, X, Base, NextBox, P);
        NewPos = NewPos || NextBox != Before;
      }
      const int CurX = W.X();
      NewPos = NewPos || W.AfterEdge();
      if (W.IsObject()) {
        int Ext = 0;
        if (const TObjEntry* E = W.Object()) {
          if (!E->Obj->Floating()) {
            Canvas->SetTextJustification(0, 0);
            if (FLineBoxes) {
              const int Top = ObjectTopInLine(Line, LineTop - ScrollY, *E);
              if (E->IsControl)
                E->Obj->DrawControl(Canvas, CurX, Top, Printing);
              else
                E->Obj->Draw(Canvas, Context, CurX, Top, Top + E->Obj->Height());
            } else if (E->IsControl) {
              const int G = E->Obj->Height();
              int Top = Base;
              switch (E->Obj->VAlign()) {
                case TVerticalAlign::Top: Top = Base - Line.TextHeight; break;
                case TVerticalAlign::Middle: Top = Base - (Line.TextHeight + G) / 2; break;
                case TVerticalAlign::Baseline: Top = Base - G - Line.BaseDescent; break;
                case TVerticalAlign::Bottom: Top = Base - G; break;
                default: break;
              }
              E->Obj->DrawControl(Canvas, CurX, Top, Printing);
            } else if (PitchLinePlaces(*E->Obj)) {
              const int Top = PitchLineObjectTop(Line, LineTop - ScrollY, *E->Obj);
              E->Obj->Draw(Canvas, Context, CurX, Top, Top + E->Obj->Height());
            } else {
              E->Obj->Draw(Canvas, Context, CurX, Base - Line.TextHeight, Base - Line.BaseDescent);
            }
            Ext = E->Obj->HorzExtent();
            NewPos = true;
          }
        }
        W.Next(Ext);
        continue;
      }
      const TFontObj* Run = W.Run();
      int Limit = W.Length();
      bool Selected = false;
      bool CaretHere = false;
      if (!Doc->PrintsPages() && SE >= SS) {
        if (P < SS) {
          Limit = std::min(Limit, SS - P);
        } else if (P >= SE) {
          if (P == SS && ShowCaret) {
            CaretHere = true;
            Limit = std::min(Limit, CharBytes(P));
          }
        } else {
          Selected = true;
          Limit = std::min(Limit, SE - P);
        }
      }
      Limit = std::min(Limit, MaxPiece);

      TColor FontColor = Run->FFont->Color;
      if (Printing) {
        // A monochrome device stands for one reporting fewer than three colours.
        if (Context.PrintMonoBlack && Canvas->IsMonochrome() && FontColor != clWhite)
          FontColor = clBlack;
        if (!Context.PrintColors && (FontColor & 0xE0E0) == 0xE0E0) FontColor = 0x02A0A0A0;
      }
      Canvas->Font = *Run->FFont;
      if (Selected) {
        Canvas->SetBkMode(OPAQUE);
        Canvas->SetBkColor(FontColor);
        Canvas->SetTextColor(Run->FFont->FBackColor == NoColour ? InvertColor(FontColor)
                                                                : Run->FFont->FBackColor);
      } else {
        Canvas->SetTextColor(FontColor);
        if (Run->FFont->FBackColor == NoColour) {
          Canvas->SetBkMode(TRANSPARENT);
        } else {
          Canvas->SetBkMode(OPAQUE);
          Canvas->SetBkColor(Run->FFont->FBackColor);
        }
      }
      Canvas->SetTextAlign(TA_BASELINE | TA_UPDATECP);
      // How far the run's baseline stands below the line's.
      const int D = RunBaseline(Line, LineTop - ScrollY, *Run) - (Base - Line.BaseDescent);
      NewPos = NewPos || D != 0;
      int DrawCount = Limit;
      if (P + Limit == End && (FText[End - 1] == ccBreak || FText[End - 1] == ' ')) --DrawCount;
      if (NewPos) {
        Canvas->MoveTo(CurX, Base + D - Line.BaseDescent);
        NewPos = D != 0;
      }
      if (Line.SpaceCount != 0)
        Canvas->SetTextJustification(Line.ExtraWidth, Line.SpaceCount);
      else
        Canvas->SetTextJustification(0, 0);
      if (DrawCount > 0) Canvas->TextOut(0, 0, std::string_view(FText.data() + P, DrawCount));
      if (CaretHere) {
        const int Y1 = Base + D + Run->FDescent - Line.BaseDescent;
        Canvas->FillRect(TRect{CurX, Y1 - Run->FFontHeight, CurX + 1, Y1}, FontColor);
      }
      W.Advance(Limit, Canvas->GetCurrentPosition().X - CurX);
    }
    // Boxes with nothing in them at the line's end.
    if (HasBoxes) PaintInlineBoxes(Canvas, Context, Line, X, Base, NextBox, End);
    LineTop += Advance;
  }
  Canvas->SetTextJustification(0, 0);
  Canvas->SetTextAlign(TA_BASELINE);
  return Result;
}
