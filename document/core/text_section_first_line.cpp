// The first line's own look (a ":first-line" style): which characters take it is known
// only once layout has fitted the first line, so each layout gives every run its
// first-line look, fits the first line, and hands the runs after it their own look back.
#include <algorithm>

#include "document/core/letter_case.h"
#include "document/core/text_section.h"

void TSection::SetFirstLineLook(const TFontObj::TFirstLineLook& Look) {
  TFontObj* Run = FFontRuns.Last();
  if (!Run || !Look.Font || Run->FPos >= MaxFirstLineChars) return;
  Run->SetFirstLineLook(Look);
  Rare().FirstLineStyled = true;
}

void TSection::TakeFirstLineText() {
  const int N = std::min(Len(), MaxFirstLineChars);
  std::string Text = FText.substr(0, static_cast<size_t>(N));
  bool Changed = false;
  for (int I = 0; I < FFontRuns.Count(); ++I) {
    const TFontObj& Run = *FFontRuns[I];
    const TFontObj::TFirstLineLook* Look = Run.FirstLineLook();
    // Double-byte and UTF-8 text keeps its case: a character's bytes may change length.
    if (!Look || Look->Case == TTextTransform::None || Run.FFont->FLeadByteSet.any() ||
        Run.FFont->Charset == UTF8_CHARSET)
      continue;
    const int End = std::min(N, I + 1 < FFontRuns.Count() ? FFontRuns[I + 1]->FPos : N);
    const TLetterCase& Case = LetterCaseOf(CharsetToCodePage(Run.FFont->Charset));
    auto* T = reinterpret_cast<unsigned char*>(Text.data());
    bool InWord = Run.FPos > 0 && Case.Word[T[Run.FPos - 1]];
    for (int P = Run.FPos; P < End; ++P) {
      const unsigned char B = T[P];
      if (Look->Case == TTextTransform::Upper ||
          (Look->Case == TTextTransform::Capitalize && !InWord))
        T[P] = Case.Upper[B];
      else if (Look->Case == TTextTransform::Lower)
        T[P] = Case.Lower[B];
      InWord = Case.Word[B] || (InWord && B == '\'');
    }
    Changed = Changed || Text.compare(0, static_cast<size_t>(N), FText, 0, static_cast<size_t>(N)) != 0;
  }
  if (!Changed) return;
  Rare().OwnLineText = FText.substr(0, static_cast<size_t>(N));
  Rare().FirstLineText = std::move(Text);
}

void TSection::BeginFirstLine() {
  for (int I = FFontRuns.Count(); I-- > 0;)
    if (FFontRuns[I]->IsFirstLinePiece()) FFontRuns.DeleteAt(I);
  for (int I = 0; I < FFontRuns.Count(); ++I) FFontRuns[I]->UseFirstLineLook(true);
  if (FRare && !FRare->FirstLineText.empty())
    FText.replace(0, FRare->FirstLineText.size(), FRare->FirstLineText);
}

void TSection::EndFirstLine(int C) {
  int Index = -1;
  TFontObj* Run = FFontRuns.RunAt(C, Index);
  if (Run && Run->FPos < C && Run->FirstLineLook() && C < Len()) {
    auto Piece = std::make_unique<TFontObj>(this, *Run);
    Piece->FPos = C;
    Piece->MarkFirstLinePiece();
    Piece->UseFirstLineLook(false);
    FFontRuns.InsertAt(Index + 1, std::move(Piece));
  }
  for (int I = 0; I < FFontRuns.Count(); ++I)
    if (FFontRuns[I]->FPos >= C) FFontRuns[I]->UseFirstLineLook(false);
  if (FRare && static_cast<int>(FRare->OwnLineText.size()) > C)
    FText.replace(static_cast<size_t>(C), FRare->OwnLineText.size() - static_cast<size_t>(C),
                  FRare->OwnLineText, static_cast<size_t>(C));
}
