// Hit tests and conversions between points and document positions of text sections.
#include <algorithm>

#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/core/text_walk.h"

namespace {

// The last fitting result of a hit test: pointer and width to count. Shared by every
// section; user-interface thread only.
struct TFitCache {
  const char* Start = nullptr;
  int Width = -1;
  int Length = 0;
  const void* Font = nullptr;
  int Count = 0;
};
TFitCache FitCache;

}  // namespace

int TSection::MeasureInLine(const LineRec& Line, int N) const {
  const TTextJustification Just = TTextJustification::Make(Line.ExtraWidth, Line.SpaceCount);
  TPieceWalker W(*this, Line.TextStart, Line.TextStart + std::min(N, Line.CharCount));
  while (W.More()) {
    if (W.IsObject()) {
      W.Next(W.ObjectWidth());
      continue;
    }
    W.Next(W.Run()->Handle(FDpi)->TextWidth(W.Chars(), W.Length(),
                                            Line.SpaceCount ? &Just : nullptr));
  }
  return W.X();
}

int TSection::FitInLine(const LineRec& Line, int Width) const {
  const TTextJustification Just = TTextJustification::Make(Line.ExtraWidth, Line.SpaceCount);
  int Count = 0;
  for (TPieceWalker W(*this, Line.TextStart, Line.TextStart + Line.CharCount); W.More();) {
    if (W.IsObject()) {
      const int Ext = W.ObjectWidth();
      if (W.X() + Ext > Width) break;
      ++Count;
      W.Next(Ext);
      continue;
    }
    const int N = W.Length();
    const char* Chars = W.Chars();
    const int Room = Width - W.X();
    const TFontHandle* H = W.Run()->Handle(FDpi);
    int Fit = 0;
    TSize Ext;
    if (FitCache.Start == Chars && FitCache.Width == Room && FitCache.Length == N &&
        FitCache.Font == H && Line.SpaceCount == 0) {
      Fit = FitCache.Count;
      Ext.cx = Fit == N ? H->TextWidth(Chars, N) : 0;
    } else {
      Ext = H->GetTextExtentExPoint(Chars, N, Room, &Fit, nullptr,
                                    Line.SpaceCount ? &Just : nullptr);
      Fit = std::clamp(Fit, 0, N);
      FitCache = {Chars, Room, N, H, Fit};
    }
    Count += Fit;
    if (Fit < N) break;
    W.Next(Ext.cx);
  }
  // The fonts fit code points: a letter spelled in several fits whole or not at all.
  while (Count > 0 && MarkedTrail(Line.TextStart + Count)) --Count;
  return Count;
}

int TSection::PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt,
                              bool& InText) {
  if (Canvas) SetDpi(Canvas->FontPixelsPerInch);
  if (X < FDrawLeft || Len() == 0) return -1;
  int LineTop = FLayoutY;
  const LineRec* Found = nullptr;
  for (const LineRec& Line : FLines) {
    const int Advance = Line.Advance();
    if (Line.CharCount > 0 && Y >= LineTop && Y < LineTop + Advance) {
      Found = &Line;
      break;
    }
    LineTop += Advance;
  }
  if (!Found || X > LineX(*Found) + Found->AvailWidth) return -1;
  const LineRec& Line = *Found;
  InText = true;
  CaretHt = Line.TextHeight;
  YR = LineTop + Line.GapAbove;
  const int LineLeft = LineX(Line);
  if (X < LineLeft) {
    InText = false;
    XR = LineLeft;
    return FStartPos + Line.TextStart;
  }
  int N = FitInLine(Line, X - LineLeft);
  XR = LineLeft + MeasureInLine(Line, N);
  if (N < Line.CharCount) {
    const int P = Line.TextStart + N;
    const int CharLen =
        FMayHaveDBCS ? std::min(CharBytes(P), std::max(Line.CharCount - N, 1)) : 1;
    const int CharW = MeasureInLine(Line, N + CharLen) - (XR - LineLeft);
    int Index;
    const TFontObj* Run = FFontRuns.RunAt(P, Index);
    const int W = CharW - (Run ? Run->Overhang() : 0);
    if (X > XR + W / 2) {
      XR += CharW;
      N += CharLen;
    }
  }
  if (N >= Line.CharCount) InText = false;
  return FStartPos + Line.TextStart + N;
}

bool TSection::PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y) {
  const int L = Len();
  if (L == 0 || Pos > FStartPos + L || Pos < FStartPos) return false;
  if (Canvas) SetDpi(Canvas->FontPixelsPerInch);
  const int Rel = Pos - FStartPos;
  int LineTop = FLayoutY;
  const LineRec* Found = nullptr;
  for (size_t I = 0; I < FLines.size(); ++I) {
    const LineRec& Line = FLines[I];
    if (Line.CharCount > 0 &&
        (Rel < Line.TextStart + Line.CharCount || I + 1 == FLines.size())) {
      Found = &Line;
      break;
    }
    LineTop += Line.Advance();
  }
  if (!Found) return false;
  Y = LineTop;
  X = LineX(*Found);
  if (Canvas) X += MeasureInLine(*Found, Rel - Found->TextStart);
  return true;
}

// The images (and panels) of the section, where they were painted, floating ones included.
bool TSection::HitTestObject(int X, int Y, TObject*& Obj, int& IX, int& IY) {
  for (const TObjEntry& E : Objects()) {
    if (E.IsControl || !E.Obj->HitAt(X, Y, IX, IY)) continue;
    Obj = dynamic_cast<TObject*>(E.Obj);
    if (Obj) return true;
  }
  return false;
}

unsigned TSection::HitTestLink(TCanvas* Canvas, int X, int Y,
                               std::unique_ptr<TUrlTarget>& UrlTarget,
                               TDocControl*& FormControl, std::string& Title) {
  if (Canvas) SetDpi(Canvas->FontPixelsPerInch);
  // Images answer where they were painted, floating ones included.
  for (const TObjEntry& E : Objects()) {
    int IX = 0, IY = 0;
    if (E.IsControl || !E.Obj->HitAt(X, Y, IX, IY)) continue;
    unsigned Result = 0;
    if (TDocControl* Control = E.Obj->TakeHitPoint(IX, IY)) {
      FormControl = Control;
      Result |= htControlFound;
    }
    if (FDocument) FDocument->HoverImage = E.Obj->AsImage();
    int Index;
    TFontObj* Run = FFontRuns.RunAt(E.Pos, Index);
    if (!E.Obj->MapKey().empty()) {
      // A client-side map answers for its areas.
      if (FDocument)
        for (const auto& Item : FDocument->ImageMaps) {
          auto* Map = dynamic_cast<TDocImageMap*>(Item.get());
          if (Map && Map->Name() == E.Obj->MapKey()) {
            if (Map->GetURL(IX, IY, UrlTarget)) Result |= htLinkFound;
            break;
          }
        }
    } else if (Run && !Run->Target().URL.empty()) {
      UrlTarget = std::make_unique<TUrlTarget>();
      UrlTarget->Copy(Run->Target());
      // A server-side map is told the point clicked.
      if (E.Obj->IsMap())
        UrlTarget->URL += "?" + std::to_string(IX) + "," + std::to_string(IY);
      if (FDocument) FDocument->HoverLink = Run;
      Result |= htLinkFound;
    }
    if (std::string T = E.Obj->TitleText(); !T.empty()) {
      Title = T;
      Result |= htTitleFound;
    }
    return Result;
  }
  int LineTop = FLayoutY;
  for (const LineRec& Line : FLines) {
    const int PaintY = LineTop + Line.GapAbove;
    LineTop += Line.Advance();
    if (!(PaintY < Y && Y <= PaintY + Line.Advance()) || X < LineX(Line)) continue;
    const int N = FitInLine(Line, X - LineX(Line));
    if (N >= Line.CharCount) return 0;
    const int P = Line.TextStart + N;
    if (FText[P] == ccImage) return 0;
    int Index;
    TFontObj* Run = FFontRuns.RunAt(P, Index);
    if (!Run) return 0;
    unsigned Result = 0;
    if (!Run->Target().URL.empty()) {
      UrlTarget = std::make_unique<TUrlTarget>();
      UrlTarget->Copy(Run->Target());
      if (FDocument) FDocument->HoverLink = Run;
      Result |= htLinkFound;
    }
    if (!Run->Title().empty()) {
      Title = Run->Title();
      Result |= htTitleFound;
    }
    return Result;
  }
  return 0;
}
