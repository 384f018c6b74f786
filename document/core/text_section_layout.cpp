// Line fitting, break choice and line building of text sections.
#include <algorithm>
#include <optional>

#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/core/text_walk.h"

namespace {

// Texts shorter than this are measured anew each time instead of keeping their widths.
constexpr int MeasureCacheLength = 64;

}  // namespace

int TSection::TextWidth(int Start, int N, bool TrimTrailing) const {
  if (TrimTrailing)
    while (N > 1 && (FText[Start + N - 1] == ' ' || FText[Start + N - 1] == ccBreak) &&
           !Unbreakable(Start + N - 1))
      --N;
  TPieceWalker W(*this, Start, Start + N);
  while (W.More()) {
    if (W.IsObject()) {
      W.Next(W.ObjectWidth());
      continue;
    }
    const TFontObj* Run = W.Run();
    W.Next(Run->Handle(FDpi)->TextWidth(W.Chars(), W.Length()) + Run->Overhang());
  }
  // Inline boxes that end with the stretch close after it.
  int Closing = 0;
  if (N > 0 && FRare && !FRare->Edges.empty()) {
    const std::vector<TBoxEdge>& Edges = FRare->Edges;
    auto It = std::lower_bound(Edges.begin(), Edges.end(), Start + N,
                               [](const TBoxEdge& E, int P) { return E.Pos < P; });
    if (It != Edges.end() && It->Pos == Start + N) Closing = It->Width;
  }
  return W.X() + Closing;
}

int TSection::PlaceFloat(TInlineObject* Obj, int Y, IndentManager* IMgr, int& T) {
  const TFloatImageBox Box = Obj->FloatBox();
  T = IMgr->FloatTop(Y, IMgr->FLeftEdge, Box.Width + Box.HSpaceL + Box.HSpaceR);
  Obj->SetLayoutY(T);
  int Indent = 0;
  if (IMgr->AddImageFloat(T, Box, Indent)) Obj->SetFloatIndent(Indent);
  return T - Y + Obj->Height() + Obj->VertSpacing();
}

int TSection::LineCharsThatFit(int Start, int Max, int BreakAt, int Y, IndentManager* IMgr,
                               TFloatState& Floats, int& FloatHeight) const {
  FloatHeight = 0;
  int Limit = Max;
  bool BreakLimit = false;
  if (BreakAt - Start < Max) {
    const int K = BreakAt - Start;
    if (K == 0) return 1;
    Limit = K;
    BreakLimit = true;
  }
  int Left = IMgr->LeftEdgeAt(Y);
  if (Start == 0) Left += FFirstIndent;
  const int Avail = IMgr->RightEdgeAt(Y) - Left;

  // A plain first line that fits even at the widest character needs no measuring.
  if (Start == 0 && Objects().empty() && BoxEdges().empty() && FFontRuns.Count() > 0 &&
      static_cast<long long>(Avail) >= static_cast<long long>(Limit) * FFontRuns[0]->FTmMaxCharWidth)
    return Limit + (BreakLimit ? 1 : 0);

  int Count = 0;
  bool Empty = true;
  // Text is measured in growing pieces, so that a line costs about what it holds however
  // much text follows it.
  int Piece = 256;
  for (TPieceWalker W(*this, Start, Start + Limit); W.More();) {
    if (W.IsObject()) {
      const TObjEntry* E = W.Object();
      if (!E) {  // an object code without its object measures as nothing
        ++Count;
        W.Next(0);
        continue;
      }
      TInlineObject* Obj = E->Obj;
      if (!Obj->Floating()) {
        const int Ext = Obj->HorzExtent();
        Empty = false;
        if (W.X() + Ext > Avail) break;
        ++Count;
        W.Next(Ext);
        continue;
      }
      if (E->Pos < Floats.PlacedBefore) {
        ++Count;
        W.Next(0);
        continue;
      }
      Obj->SetLayoutY(Y);
      int Ext = 0;
      if (Empty) {
        // A float without room here goes down beside the floats below; the line stays.
        Ext = Obj->HorzExtent();
        const bool Over = W.X() + Ext > Avail;
        if (Over && Count > 0 && !IMgr->FloatEndsBelow(Y)) break;
        Floats.PlacedBefore = std::max(Floats.PlacedBefore, E->Pos + 1);
        int Top = Y;
        FloatHeight = std::max(FloatHeight, PlaceFloat(Obj, Y, IMgr, Top));
        if (Top > Y) Ext = 0;
        else if (Over) {
          Count = 1;
          break;
        }
      } else {
        Floats.Deferred.push_back(E);
      }
      ++Count;
      W.Next(Ext);
      continue;
    }
    const TFontObj* Run = W.Run();
    int N = W.Length();
    if (N > Piece) {
      N = Piece;
      // A character stays whole.
      while (FMayHaveDBCS && N < W.Length() && ByteKind(W.Pos() + N) == 2) ++N;
      Piece *= 2;
    }
    int Width = 0;
    const int Fit = Run->Handle(FDpi)->FitBytes(W.Chars(), N, Avail - W.X() - Run->Overhang(), Width);
    Count += Fit;
    if (Fit < N) break;
    Empty = false;
    W.Advance(N, Width);
  }
  if (Count >= Limit) return Limit + (BreakLimit ? 1 : 0);
  return Count;
}

bool TSection::OnlyFloatsIn(int Start, int Count) const {
  if (Objects().empty()) return false;
  bool AnyFloat = false;
  for (int I = Start; I < Start + Count; ++I) {
    const char Ch = FText[I];
    const TObjEntry* E = Ch == ccImage ? ObjectAt(I) : nullptr;
    const bool Float = E && E->Obj->Floating();
    if (!Float && !(Ch == ' ' && !Unbreakable(I))) return false;
    AnyFloat = AnyFloat || Float;
  }
  return AnyFloat;
}

int TSection::KeepClosingEdgeWithWord(int Start, int C, int Y, IndentManager* IMgr) const {
  int Left = IMgr->LeftEdgeAt(Y);
  if (Start == 0) Left += FFirstIndent;
  const int Avail = IMgr->RightEdgeAt(Y) - Left;
  // Only a line whose last word carries the edge of a box closing after it can be too
  // wide here: the fitting counted the edge with the space that follows.
  int End = Start + C;
  while (End > Start + 1 && FText[End - 1] == ' ' && !Unbreakable(End - 1)) --End;
  const std::vector<TBoxEdge>& Edges = BoxEdges();
  const auto It = std::lower_bound(Edges.begin(), Edges.end(), End,
                                   [](const TBoxEdge& E, int P) { return E.Pos < P; });
  if (It == Edges.end() || It->Pos != End || It->Width <= 0) return C;
  if (TextWidth(Start, End - Start, true) <= Avail) return C;
  // The last break before that word; a line of that word alone keeps it.
  for (int K = End - 1; K > Start; --K)
    if (FText[K] == ' ' && !Unbreakable(K) && FText[K - 1] != ' ') {
      int P = K;
      while (P < End && FText[P] == ' ' && !Unbreakable(P)) ++P;
      return P - Start;
    }
  return C;
}

void TSection::FontPitchLine(LineRec& Line, int Y) const {
  const int Start = Line.TextStart, C = Line.CharCount;
  bool OnlyCodes = true;
  for (int I = Start; I < Start + C && OnlyCodes; ++I) {
    const char Ch = FText[I];
    OnlyCodes = Ch == ccFormControl || Ch == ccImage || Ch == ccBreak;
  }
  const bool OnlyFloats = !OnlyCodes && OnlyFloatsIn(Start, C);
  // Standards documents set pictures on a line of their block's font, as browsers do:
  // even a line of nothing but pictures has the font's height and room below its baseline.
  const bool Standards = FDocument && FDocument->StandardsMode;
  const bool Strut = OnlyCodes && Standards && HoldsFlowImage(Start, C);
  if ((OnlyCodes && !Strut && !(C == 1 && FText[Start] == ccBreak)) || OnlyFloats) {
    Line.TextHeight = 0;
  } else {
    int Index;
    FFontRuns.RunAt(Start, Index);
    for (int I = Index; I < FFontRuns.Count(); ++I) {
      const TFontObj* Run = FFontRuns[I];
      if (I > Index && Run->FPos >= Start + C) break;
      Line.TextHeight = std::max<int>(Line.TextHeight, Run->FFontHeight);
      Line.BaseDescent = std::max<int>(Line.BaseDescent, Run->FDescent);
    }
  }
  if (FLineHeight > Line.TextHeight && !OnlyFloats) {
    const int E = FLineHeight - Line.TextHeight;
    Line.GapAbove = E / 2;
    Line.GapBelow = E - E / 2;
  }
  int BottomAligned = 0;
  int PictureTop = 0;  // how far pictures on the baseline reach above it
  for (int I = Start; I < Start + C && !Objects().empty(); ++I) {
    if (!IsObjectCode(FText[I])) continue;
    const TObjEntry* E = ObjectAt(I);
    if (!E || E->Obj->Floating()) continue;
    TInlineObject* Obj = E->Obj;
    Obj->SetLayoutY(Y);
    const int G = Obj->Height();
    int T = Line.TextHeight;
    if (!E->IsControl) {
      switch (Obj->VAlign()) {
        case TVerticalAlign::Top:
        case TVerticalAlign::TextTop:
          Line.GapBelow = std::max(Line.GapBelow, G - T);
          break;
        case TVerticalAlign::Bottom:
          // Placed once the rest made the line.
          BottomAligned = std::max(BottomAligned, G);
          break;
        case TVerticalAlign::TextBottom:
          Line.GapAbove = std::max(Line.GapAbove, G - T);
          break;
        case TVerticalAlign::Middle: {
          if (T == 0) {
            int Index;
            const TFontObj* Run = FFontRuns.RunAt(Start, Index);
            T = Run ? Run->FFontHeight : 0;
            Line.BaseDescent = Run ? Run->FDescent : 0;
          }
          const int H = (G - T) / 2;
          Line.GapBelow = std::max(Line.GapBelow, H);
          Line.GapAbove = std::max(Line.GapAbove, G - T - H);
          break;
        }
        default:
          if (const int R = Obj->Raise(); R != 0) {
            Line.GapAbove = std::max(Line.GapAbove, G + R - T + Line.BaseDescent);
            Line.GapBelow = std::max(Line.GapBelow, -R - Line.BaseDescent);
          } else {
            Line.GapAbove = std::max(Line.GapAbove, G - T + Line.BaseDescent);
            PictureTop = std::max(PictureTop, G);
          }
      }
    } else {
      const int D = G - T;
      switch (Obj->VAlign()) {
        case TVerticalAlign::Top:
          Line.GapBelow = std::max(Line.GapBelow, D);
          break;
        case TVerticalAlign::Middle:
          Line.GapBelow = std::max(Line.GapBelow, D / 2);
          Line.GapAbove = std::max(Line.GapAbove, D - D / 2);
          break;
        case TVerticalAlign::Baseline:
          Line.GapAbove = std::max(Line.GapAbove, D + Line.BaseDescent);
          break;
        default:
          Line.GapAbove = std::max(Line.GapAbove, D);
      }
    }
  }
  if (BottomAligned > Line.Advance()) Line.GapAbove += BottomAligned - Line.Advance();
  // The font's line gap stands above its text. In standards documents, as in browsers, a
  // picture reaching above the font's ascent and the smaller half of the gap has the
  // larger half below the baseline.
  int Index;
  const TFontObj* Run = Standards && PictureTop > 0 ? FFontRuns.RunAt(Start, Index) : nullptr;
  if (Run && Line.TextHeight > 0) {
    const int Gap = Run->FFontHeight - Run->FTmHeight;
    if (PictureTop > Run->FTmHeight - Run->FDescent + Gap / 2)
      Line.GapBelow = std::max(Line.GapBelow, Gap - Gap / 2);
  }
}

bool TSection::HoldsFlowImage(int Start, int Count) const {
  for (int I = Start; I < Start + Count && !Objects().empty(); ++I)
    if (FText[I] == ccImage)
      if (const TObjEntry* E = ObjectAt(I); E && !E->Obj->Floating() && !E->Obj->BlockLevel())
        return true;
  return false;
}

int TSection::PitchLineObjectTop(const LineRec& Line, int LineTop, const TInlineObject& Obj) const {
  const int G = Obj.Height();
  const int Base = LineTop + Line.GapAbove + Line.TextHeight;
  switch (Obj.VAlign()) {
    case TVerticalAlign::Bottom: return LineTop + Line.Advance() - G;
    case TVerticalAlign::TextBottom: return Base - G;
    default: return Base - Line.BaseDescent - Obj.Raise() - G;
  }
}

void TSection::BuildLine(int Start, int C, bool LastLine, int X, int& Y, IndentManager* IMgr,
                         TFloatState& Floats, int FloatHeight, int& MaxY) {
  LineRec Line;
  Line.TextStart = Start;
  Line.CharCount = C;
  if (FLineBoxes) {
    MakeLineBox(Line, Y);
  } else {
    FontPitchLine(Line, Y);
  }
  const int Rt = IMgr->RightEdgeAt(Y);
  int Lf = IMgr->LeftEdgeAt(Y);
  if (Start == 0) Lf += FFirstIndent;
  // Only the aligned kinds need the line's width.
  const int W = FAlign != TTextAlign::Left ? TextWidth(Start, C, true) : 0;
  switch (FAlign) {
    case TTextAlign::Center:
      Line.Indent = (Rt + Lf - W) / 2 - X;
      break;
    case TTextAlign::Right:
      Line.Indent = Rt - X - W;
      break;
    case TTextAlign::Justify:
      Line.Indent = Lf - X;
      if (!LastLine) {
        const int Extra = Rt - Lf - W;
        const auto Spaces = std::count(FText.begin() + Start, FText.begin() + Start + C - 1, ' ');
        if (Extra >= -32767 && Extra <= 32767 && Spaces <= 32767) {
          Line.ExtraWidth = static_cast<int16_t>(Extra);
          Line.SpaceCount = static_cast<int16_t>(Spaces);
        }
      }
      break;
    default:
      Line.Indent = Lf - X;
  }
  Line.AvailWidth = Rt - Lf;
  const int S = Line.Advance();
  FFlowHeight += S;
  Y += S;
  Line.PaintHeight = std::max(S, FloatHeight);
  for (const TObjEntry* E : Floats.Deferred) {
    Floats.PlacedBefore = std::max(Floats.PlacedBefore, E->Pos + 1);
    int Top = Y;
    const int H = PlaceFloat(E->Obj, Y, IMgr, Top);
    Line.PaintHeight = std::max(Line.PaintHeight, S + H);
    MaxY = std::max(MaxY, Y + H);
  }
  Floats.Deferred.clear();
  FLines.push_back(Line);
}

int TSection::DoubleByteBreak(int Start, int N) const {
  const int L = Len();
  // A line may end between P - 1 and P: not inside a character, not after a character
  // that must not break, and not right before a non-breaking space unless after a space.
  auto Allowed = [&](int P) {
    if (P >= L) return true;
    if (Unbreakable(P - 1) || ByteKind(P) == 2) return false;
    return !(FText[P] == ' ' && Unbreakable(P) && FText[P - 1] != ' ');
  };
  const int Next = Start + N;
  if ((ByteKind(Next) == 1 || IsObjectCode(FText[Next])) && Allowed(Next)) return N;
  for (int P = Next; P > Start; --P) {
    const int Before = ByteKind(P - 1);
    const char Ch = FText[P - 1];
    const bool Break = ByteKind(P) == 1 || Before == 2 ||
                       (Before == 0 && (Ch == ' ' || IsObjectCode(Ch)));
    if (Break && Allowed(P)) return P - Start;
  }
  // No place to break before the end: the line ends after N, or past what holds together.
  int C = N;
  while (Start + C < L && !Allowed(Start + C)) ++C;
  return C;
}

int TSection::Layout(TCanvas* Canvas, int X, int Y, int /*XRef*/, int /*YRef*/, int AWidth,
                     int /*AHeight*/, IndentManager* IMgr, int& MaxWidth, int& Curs) {
  if (!FIsParagraph) return LayoutText(Canvas, X, Y, AWidth, IMgr, MaxWidth, Curs);
  // The spacing is part of the box and the flow, not of what is painted.
  LayoutText(Canvas, X, Y + FParaTop, AWidth, IMgr, MaxWidth, Curs);
  FBoxTop = Y;
  FFlowHeight += FParaTop + FParaBottom;
  FBoxBottom = Y + FFlowHeight;
  return FFlowHeight;
}

int TSection::FontRoom() const {
  if (FFontRuns.Count() == 0 || !FFontRuns[0]->FFont) return 0;
  const int Size = FFontRuns[0]->FFont->Size;
  // A negative size is a cell height in points, 0 the default of 12 points.
  return Size > 0 ? Size : Size < 0 ? -Size : 12;
}

TMarginDrop TSection::DropBottomMargin() {
  if (!FIsParagraph) return TMarginDrop::NotABlock;
  if (!FParaBottomDefault) return TMarginDrop::Kept;
  FParaBottom = 0;
  FParaBottomDefault = false;
  return TMarginDrop::Dropped;
}

bool TSection::TakeBottomMargin(int& Bottom) {
  if (!FIsParagraph) return false;
  Bottom = FParaBottom;
  FParaBottom = 0;
  FParaBottomDefault = false;
  return true;
}

void TSection::SetParagraphSpacing(int Top, int Bottom, bool BottomIsDefault) {
  FIsParagraph = true;
  FParaTop = static_cast<int16_t>(std::clamp(Top, -ParagraphSpacingLimit, ParagraphSpacingLimit));
  FParaBottom =
      static_cast<int16_t>(std::clamp(Bottom, -ParagraphSpacingLimit, ParagraphSpacingLimit));
  FParaBottomDefault = BottomIsDefault;
}

int TSection::LayoutText(TCanvas* Canvas, int X, int Y, int AWidth, IndentManager* IMgr,
                         int& MaxWidth, int& Curs) {
  if (FSourceOpen) CompleteText();
  SetDpi(Canvas ? Canvas->FontPixelsPerInch : 96);
  FLayoutY = FBoxTop = FPaintTop = Y;
  ForgetFloatRows();
  FStartPos = Curs;
  FPosCount = Len();
  FFlowHeight = 0;
  FLines.truncate(0);  // the storage stays for the next layout
  if (FirstLineStyled()) BeginFirstLine();
  FLineBoxes = UsesLineBoxes();
  FDrawLeft = X;
  // Made only for a section laid out on its own: a cell hands its manager to every section.
  std::optional<IndentManager> LocalMgr;
  if (!IMgr) {
    LocalMgr.emplace();
    LocalMgr->SetEdges(X, X + AWidth);
    IMgr = &*LocalMgr;
  }
  int ClearSpace = 0;
  if (FClear != TClearSides::None) {
    int CL = 0, CR = 0;
    IMgr->ClearLevels(CL, CR);
    const int Level = FClear == TClearSides::Left    ? CL
                      : FClear == TClearSides::Right ? CR
                                                     : std::max(CL, CR);
    ClearSpace = std::max(0, Level - Y - 1);
  }
  const int L = Len();
  if (L == 0) {
    const int H = ClearSpace + (FKeepsFontRoom ? FontRoom() : 0);
    FFlowHeight = FPaintHeight = H;
    FBoxBottom = FPaintBottom = Y + H;
    MaxWidth = 0;
    return H;
  }
  // A percentage counts from the width of the block's own containing block; a paragraph
  // kept as a section stands in its containing block's cell, whose width that is.
  if (FFirstIndentPct > 0)
    FFirstIndent = (FIsParagraph || IMgr->FIndentBase < 0 ? AWidth : IMgr->FIndentBase) *
                   FFirstIndentPct / 100;
  const int Width = std::min(IMgr->RightEdgeAt(Y) - IMgr->LeftEdgeAt(Y), AWidth);
  MaxWidth = Width;
  for (const TObjEntry& E : Objects()) {
    E.Obj->SizeFor(Width);
    E.Obj->LayOutContent(Canvas, Width, Y);
    MaxWidth = std::max(MaxWidth, E.Obj->HorzExtent());
  }

  int MaxY = 0;
  TFloatState Floats;
  if (ClearSpace > 0) {
    LineRec Line;
    Line.TextHeight = ClearSpace;
    Line.PaintHeight = ClearSpace;
    FLines.push_back(Line);
    FFlowHeight += ClearSpace;
    Y += ClearSpace;
  }
  int Start = 0;
  int BreakAt = -1;  // the first break code at or after Start, or L
  // Bounded retries: each moves Y below a float end, and float ends are finite.
  while (Start < L) {
    const int R = L - Start;
    if (BreakAt < Start) {
      const void* Br = memchr(FText.data() + Start, ccBreak, R);
      BreakAt = Br ? static_cast<int>(static_cast<const char*>(Br) - FText.data()) : L;
    }
    int FloatHeight = 0;
    // Blanks that end the text need no room: they hang past the line's end, and the widths
    // measured for the text leave them out.
    int Need = R;
    if (!IsPreformatted() && BreakAt == L)
      while (Need > 1 && FText[Start + Need - 1] == ' ' && !Unbreakable(Start + Need - 1)) --Need;
    int Fit = IsPreformatted()
                  ? R
                  : LineCharsThatFit(Start, Need, BreakAt, Y, IMgr, Floats, FloatHeight);
    if (Fit >= Need) Fit = R;
    const int N = std::max(Fit, 1);
    MaxY = std::max(MaxY, Y + FloatHeight);
    const int D = IMgr->NextFloatEnd(Y) - Y;
    if ((Fit == 0 || IsPreformatted()) && D > 0) {
      Floats.Deferred.clear();
      LineRec Empty;
      Empty.TextStart = Start;
      Empty.TextHeight = D;
      Empty.PaintHeight = D;
      FLines.push_back(Empty);
      FFlowHeight += D;
      Y += D;
      continue;
    }
    const int Last = Start + N - 1, Next = Start + N;
    int C = -1;
    // A line takes the breakable spaces after its end; a non-breaking one starts the next.
    auto SpacesFrom = [&](int P) {
      while (P < L && FText[P] == ' ' && !Unbreakable(P)) ++P;
      return P;
    };
    if (N >= R) {
      C = R;
      // A preformatted line is never broken: all of it widens the scroll range.
      if (IsPreformatted()) MaxWidth = std::max(MaxWidth, TextWidth(Start, C, true));
    } else if ((FText[Last] == ' ' || IsObjectCode(FText[Last])) && !Unbreakable(Last)) {
      C = SpacesFrom(Next) - Start;
    } else if (FText[Last] == ccBreak) {
      C = SpacesFrom(Next) - Start;
    } else if (FHasUtf8 && FText[Next] == ' ' && !Unbreakable(Next)) {
      C = SpacesFrom(Next) - Start;
    } else if (FHasUtf8) {
      C = Utf8Break(Start, N);
    } else if (FMayHaveDBCS) {
      C = DoubleByteBreak(Start, N);
    } else if (FText[Next] == ' ' && !Unbreakable(Next)) {
      C = SpacesFrom(Next) - Start;
    } else if (IsObjectCode(FText[Next]) && !Unbreakable(Last)) {
      C = N;
    } else {
      for (int K = Last; K >= Start; --K) {
        const char Ch = FText[K];
        const bool BreakChar = (Ch == ' ' || IsObjectCode(Ch) || Ch == '-' || Ch == '?') &&
                               !Unbreakable(K);
        if (BreakChar && (K > Start || IsObjectCode(Ch))) {
          C = SpacesFrom(K + 1) - Start;
          break;
        }
      }
      if (C < 0) {
        // A word wider than the line: find its end.
        int K = Last;
        while (K < L - 1) {
          const char Ch = FText[K], NextCh = FText[K + 1];
          if (!Unbreakable(K + 1) &&
              (Ch == '-' || Ch == '?' || NextCh == ' ' || IsObjectCode(NextCh) ||
               NextCh == ccBreak))
            break;
          ++K;
        }
        int E = SpacesFrom(K + 1);
        if (E < L && FText[E] == ccBreak) ++E;
        if (D > 0) {
          Floats.Deferred.clear();
          LineRec Empty;
          Empty.TextStart = Start;
          Empty.TextHeight = D;
          Empty.PaintHeight = D;
          FLines.push_back(Empty);
          FFlowHeight += D;
          Y += D;
          continue;
        }
        C = E - Start;
        MaxWidth = std::max(MaxWidth, TextWidth(Start, C, true));
      }
    }
    C = std::clamp(C, 1, R);
    if (C < R && !BoxEdges().empty()) C = KeepClosingEdgeWithWord(Start, C, Y, IMgr);
    if (Start == 0 && FirstLineStyled()) EndFirstLine(C);
    BuildLine(Start, C, Start + C >= L, X, Y, IMgr, Floats, FloatHeight, MaxY);
    Start += C;
  }
  Curs = FStartPos + L;
  if (int* Baseline = FDocument ? FDocument->FirstLineBaseline : nullptr) {
    int LineTop = FLayoutY;
    for (const LineRec& Line : FLines) {
      if (Line.CharCount > 0) {
        *Baseline = LineTop + Line.GapAbove + Line.TextHeight - Line.BaseDescent;
        FDocument->FirstLineBaseline = nullptr;
        break;
      }
      LineTop += Line.Advance();
    }
  }
  FPaintHeight = std::max(MaxY - FLayoutY, FFlowHeight);
  FBoxBottom = FLayoutY + FFlowHeight;
  FPaintBottom = FLayoutY + FPaintHeight;
  ReportProgress();
  return FFlowHeight;
}

void TSection::ReportProgress() {
  if (!FDocument || FDocument->PrintsPages() || FSectionNumber <= 0 || FSectionNumber % 50 != 0)
    return;
  const int Count = FDocument->NumberedSections;
  if (FDocument->FirstProgressInLayout(FSectionNumber / 50) && Count > 0 &&
      FDocument->Hooks.OnLayoutProgress) {
    const int Base = FDocument->ProgressBase;
    FDocument->Hooks.OnLayoutProgress(Base + FSectionNumber * (100 - Base) / Count);
  }
}

void TSection::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
  // Blanks that end a line are not drawn, so they widen neither a table cell nor a float;
  // preformatted blanks are text like any other.
  Measure(Canvas, Min, Max, !IsPreformatted());
}

void TSection::MeasureFitWidths(TCanvas* Canvas, int& Min, int& Max) {
  MeasureWidths(Canvas, Min, Max);
}

void TSection::Measure(TCanvas* Canvas, int& Min, int& Max, bool TrimBlanks) {
  if (FSourceOpen) CompleteText();
  if (Canvas) SetDpi(Canvas->FontPixelsPerInch);
  if (FRare && FRare->MinWidth >= 1 && FRare->Objects.empty()) {
    Min = FRare->MinWidth;
    Max = FRare->MaxWidth;
    return;
  }
  Min = Max = 0;
  ForgetFloatRows();
  const int L = Len();
  if (L == 0) return;
  int ImgMin = 0, FloatSum = 0;
  if (FRare)
    for (TObjEntry& E : FRare->Objects) {
      E.Obj->SizeFor(0);
      E.Obj->LayOutContent(Canvas, 0, 0);
      if (E.Obj->PercentWidth()) continue;
      if (!E.Obj->Floating()) {
        ImgMin = std::max(ImgMin, E.Obj->HorzExtent());
      } else {
        FloatSum += E.Obj->HorzExtent();
        if (!FRare->BreakFlags.empty()) FRare->BreakFlags[E.Pos] = 'y';
      }
    }
  int Widest = 0;
  for (int P = 0; P < L;) {
    const char* Br = static_cast<const char*>(memchr(FText.data() + P, ccBreak, L - P));
    const int E = Br ? static_cast<int>(Br - FText.data()) : L;
    int Kept = E;
    if (TrimBlanks)
      while (Kept > P && FText[Kept - 1] == ' ' && !Unbreakable(Kept - 1)) --Kept;
    int W = Kept > P ? TextWidth(P, Kept - P, false) : 0;
    if (P == 0) {
      if (FFirstIndentPct > 0 && FFirstIndentPct < 100)
        W = W * 100 / (100 - FFirstIndentPct);
      else
        W += FFirstIndent;
    }
    Widest = std::max(Widest, W);
    P = E + 1;
  }
  Max = FloatSum + Widest;

  int WidestWord = 0;
  auto Ends = [&](int I) {
    const char Ch = FText[I];
    // A forced line end ends the word even in text that may not wrap.
    if (Ch == ccBreak) return true;
    if (Unbreakable(I)) return false;
    if (FHasUtf8)
      return Ch == 0 || Ch == ccImage || Ch == ccBreak || Ch == ' ' || Ch == '-' || Ch == '?' ||
             (ByteKind(I) != 2 && Utf8BreakBetween(I) && !Unbreakable(I - 1));
    if (FMayHaveDBCS)
      return Ch == ccImage || Ch == ccBreak || Ch == ' ' ||
             (ByteKind(I) == 1 && !Unbreakable(I - 1));
    return Ch == 0 || Ch == ccImage || Ch == ccBreak || Ch == ' ' || Ch == '-' || Ch == '?';
  };
  // A non-breaking space starts the next word: lines begin with it.
  auto Skippable = [&](int I) {
    const char Ch = FText[I];
    if (Ch == ' ' && Unbreakable(I)) return false;
    return Ch == ccImage || Ch == ccBreak || Ch == ' ' ||
           ((!FMayHaveDBCS || FHasUtf8) && (Ch == '-' || Ch == '?'));
  };
  int I = 0;
  while (I < L && FText[I] == ' ') ++I;
  while (I < L) {
    int J = I + 1;
    if (FMayHaveDBCS) J = I + CharBytes(I);
    while (J < L && !Ends(J)) ++J;
    J = std::min(J, L);
    WidestWord = std::max(WidestWord, TextWidth(I, J - I, false));
    I = J;
    while (I < L && Skippable(I)) ++I;
  }
  Min = std::max(ImgMin, WidestWord);
  // A short text measures again faster than a cache entry would cost it in memory.
  if (Min >= 1 && L >= MeasureCacheLength) {
    Rare().MinWidth = Min;
    Rare().MaxWidth = Max;
  }
}
