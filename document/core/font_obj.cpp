#include "document/core/font_obj.h"

#include <algorithm>

#include "document/core/section_list.h"
#include "document/core/text_section.h"

namespace {

// The link fonts made last, shared by all documents. The runs of one link mostly follow
// each other: each turns the same font into the same link font and takes the same four
// link fonts. Both are pure functions of their arguments; the source font is held so that
// its address cannot come back as another font.
struct TLinkFontCache {
  std::shared_ptr<const TMyFont> Source, Result;
  ThtFontInfo Info;
  std::shared_ptr<const TFontInfoArray> LinkFonts;
};

TLinkFontCache LinkFontCache;

}  // namespace

TFontObj::TFontObj(TSection* Section, int Pos, std::shared_ptr<const TMyFont> Font)
    : FSection(Section), FPos(Pos), FFont(std::move(Font)) {
  if (!FFont) FFont = std::make_shared<TMyFont>();
  ReadMetrics();
}

TFontObj::TFontObj(TSection* Section, const TFontObj& Source)
    : FSection(Section), FScript(Source.FScript), FVAlign(Source.FVAlign), FPos(Source.FPos) {
  FLineHeight = Source.FLineHeight;
  FFont = Source.FFont;
  if (Source.FExtras) FExtras = std::make_unique<TRunExtras>(*Source.FExtras);
  ReadMetrics();
}

namespace {
const std::string NoTitle;
const TUrlTarget NoTarget;
}  // namespace

TFontObj::TRunExtras& TFontObj::Extras() {
  if (!FExtras) FExtras = std::make_unique<TRunExtras>();
  return *FExtras;
}

const std::string& TFontObj::Title() const { return FExtras ? FExtras->Title : NoTitle; }

void TFontObj::SetTitle(const std::string& Value) {
  if (FExtras)
    FExtras->Title = Value;
  else if (!Value.empty())
    Extras().Title = Value;
}

const TUrlTarget& TFontObj::Target() const { return FExtras ? FExtras->Target : NoTarget; }

TUrlTarget& TFontObj::EditTarget() { return Extras().Target; }

void TFontObj::SetTarget(const TUrlTarget& Target) {
  if (Target.IsEmpty())
    ClearTarget();
  else
    EditTarget().Copy(Target);
}

void TFontObj::ClearTarget() {
  if (!FExtras) return;
  FExtras->Target.Clear();
  ReleaseEmptyExtras();
}

void TFontObj::SetPlacement(TVerticalAlign Align, int Raise) {
  FVAlign = Align;
  if (Raise != 0) {
    EditRare().Raise = Raise;
  } else if (Rare()) {
    FExtras->Rare->Raise = 0;
    ReleaseEmptyExtras();
  }
}

TFontObj::TRunRare& TFontObj::EditRare() {
  TRunExtras& X = Extras();
  if (!X.Rare) X.Rare = std::make_unique<TRunRare>();
  return *X.Rare;
}

void TFontObj::ReleaseEmptyExtras() {
  if (!FExtras) return;
  if (FExtras->Rare && FExtras->Rare->IsEmpty()) FExtras->Rare.reset();
  if (FExtras->Title.empty() && FExtras->Target.IsEmpty() && !FExtras->LinkFonts &&
      !FExtras->Rare)
    FExtras.reset();
}

void TFontObj::ReplaceFont(std::shared_ptr<const TMyFont> Font) {
  if (!Font) return;
  if (Font == FFont) return;  // the same font: the metrics stand
  FFont = std::move(Font);
  ReadMetrics();
}

void TFontObj::ApplyFontInfo(const ThtFontInfo& Info) {
  TLinkFontCache& Last = LinkFontCache;
  if (Last.Result && FFont == Last.Source && Info == Last.Info) {
    FFont = Last.Result;
    ReadMetrics();
    return;
  }
  Last.Source = FFont;
  Last.Info = Info;
  auto Font = std::make_shared<TMyFont>();
  Font->Assign(*FFont);
  Font->Name = Info.FaceName;
  Font->Size = Info.PointSize;
  Font->SizeCentipoints = Info.Centipoints;
  Font->Height = 0;
  Font->Bold = (Info.StyleSet & htfsBold) != 0;
  Font->Italic = (Info.StyleSet & htfsItalic) != 0;
  Font->Underline = (Info.StyleSet & htfsUnderline) != 0;
  Font->StrikeOut = (Info.StyleSet & htfsStrikeOut) != 0;
  Font->FBackColor = Info.BackColor;
  Font->Color = Info.TextColor;
  Font->Charset = Info.CharacterSet;
  Font->LetterSpacing = Info.LetterSpacing;
  Font->WordSpacing = Info.WordSpacing;
  Font->SmallCaps = Info.SmallCaps;
  FFont = std::move(Font);
  Last.Result = FFont;
  ReadMetrics();
}

void TFontObj::SetLinkFonts(const TFontInfoArray& Fonts) {
  std::shared_ptr<const TFontInfoArray>& Last = LinkFontCache.LinkFonts;
  if (!Last || Last->Items != Fonts.Items) Last = std::make_shared<const TFontInfoArray>(Fonts);
  Extras().LinkFonts = Last;
}

void TFontObj::ClearLinkFonts() {
  if (!FExtras) return;
  FExtras->LinkFonts.reset();
  ReleaseEmptyExtras();
}

const TFontInfoArray* TFontObj::LinkFonts() const {
  return FExtras ? FExtras->LinkFonts.get() : nullptr;
}

void TFontObj::ReadMetrics() {
  const TTextMetric& Tm = Handle()->Metrics();
  auto Fit = [](int Value) { return static_cast<int16_t>(std::clamp(Value, -32767, 32767)); };
  FFontHeight = Fit(Tm.tmHeight + Tm.tmExternalLeading);
  FTmHeight = Fit(Tm.tmHeight);
  FTmMaxCharWidth = Fit(Tm.tmMaxCharWidth);
  FDescent = Fit(Tm.tmDescent);
}

void TFontObj::ApplyLinkItem() {
  const TFontInfoArray* Fonts = LinkFonts();
  if (!Fonts) return;
  const int Item = (FVisited ? 1 : 0) + (FHover ? 2 : 0);
  ApplyFontInfo(Fonts->Items[Item]);
}

void TFontObj::SetVisited(bool Value) {
  if (Value == FVisited) return;
  FVisited = Value;
  ApplyLinkItem();
}

void TFontObj::SetHover(bool Value) {
  if (Value == FHover) return;
  FHover = Value;
  ApplyLinkItem();
}

void TFontObj::SetHoverAll(bool Value) {
  if (FSection && FSection->FDocument)
    SetHoverAll(Value, FSection->FDocument->LinkRuns);
  else
    SetHover(Value);
}

void TFontObj::SetHoverAll(bool Value, std::vector<TDocFontRun*>& LinkRuns) {
  SetHover(Value);
  auto Here = std::find(LinkRuns.begin(), LinkRuns.end(), static_cast<TDocFontRun*>(this));
  if (Here == LinkRuns.end()) return;
  const int Index = static_cast<int>(Here - LinkRuns.begin());
  for (int I = Index + 1; I < static_cast<int>(LinkRuns.size()); ++I) {
    auto* Run = dynamic_cast<TFontObj*>(LinkRuns[I]);
    if (!Run || Run->Target().ID != Target().ID) break;
    Run->SetHover(Value);
  }
  for (int I = Index - 1; I >= 0; --I) {
    auto* Run = dynamic_cast<TFontObj*>(LinkRuns[I]);
    if (!Run || Run->Target().ID != Target().ID) break;
    Run->SetHover(Value);
  }
}

TFontList::~TFontList() { Clear(); }

TFontList& TFontList::operator=(TFontList&& Other) noexcept {
  if (this != &Other) {
    Clear();
    FItems = std::move(Other.FItems);
  }
  return *this;
}

void TFontList::RemovePositions(const std::vector<int>& Sorted,
                                std::vector<TDocFontRun*>* LinkRuns) {
  if (Sorted.empty()) return;
  size_t K = 0;
  for (TFontObj* Run : FItems) {  // by increasing FPos
    while (K < Sorted.size() && Sorted[K] < Run->FPos) ++K;
    Run->FPos -= static_cast<int>(K);
  }
  // A run moved onto the start of the next one covers nothing.
  std::vector<TDocFontRun*> Gone;
  size_t Out = 0;
  for (size_t I = 0; I < FItems.size(); ++I) {
    if (I + 1 < FItems.size() && FItems[I]->FPos == FItems[I + 1]->FPos) {
      Gone.push_back(FItems[I]);
      continue;
    }
    FItems[Out++] = FItems[I];
  }
  FItems.truncate(Out);
  if (Gone.empty()) return;
  std::sort(Gone.begin(), Gone.end());
  if (LinkRuns)
    std::erase_if(*LinkRuns, [&](TDocFontRun* R) {
      return std::binary_search(Gone.begin(), Gone.end(), R);
    });
  for (TDocFontRun* R : Gone) delete static_cast<TFontObj*>(R);
}

void TFontList::DropEmptyRuns(int Len, std::vector<TDocFontRun*>* LinkRuns) {
  for (size_t I = FItems.size(); I-- > 0 && FItems.size() > 1;) {
    const int End = I + 1 < FItems.size() ? FItems[I + 1]->FPos : Len;
    // Only runs with a URL became link runs while the text was built.
    if (FItems[I]->FPos >= End) DeleteRun(I, FItems[I]->Target().URL.empty() ? nullptr : LinkRuns);
  }
}

void TFontList::DeleteRun(size_t Index, std::vector<TDocFontRun*>* LinkRuns) {
  if (LinkRuns) std::erase(*LinkRuns, static_cast<TDocFontRun*>(FItems[Index]));
  delete FItems[Index];
  FItems.erase_at(Index);
}

void TFontList::Clear() {
  for (TFontObj* Run : FItems) delete Run;
  FItems.clear();
}

TFontObj* TFontList::RunAt(int Pos, int& Index) const {
  Index = -1;
  if (FItems.empty()) return nullptr;
  // Runs are in increasing FPos: the last one starting at or before Pos.
  auto It = std::upper_bound(FItems.begin(), FItems.end(), Pos,
                             [](int P, const TFontObj* R) { return P < R->FPos; });
  Index = It == FItems.begin() ? 0 : static_cast<int>(It - FItems.begin()) - 1;
  return FItems[Index];
}

const TMyFont* TFontList::FontAt(int Pos, int& Overhang) const {
  int Index;
  TFontObj* Run = RunAt(Pos, Index);
  Overhang = Run ? Run->Overhang() : 0;
  return Run ? Run->FFont.get() : nullptr;
}

int TFontList::RunLengthAt(int Pos, int Len) const {
  int Index;
  if (!RunAt(Pos, Index)) return Len - Pos;
  for (int I = Index + 1; I < Count(); ++I)
    if (FItems[I]->FPos > Pos) return FItems[I]->FPos - Pos;
  return Len - Pos;
}

void TFontList::RemovePosition(int Pos, std::vector<TDocFontRun*>* LinkRuns) {
  RemovePositions({Pos}, LinkRuns);
}

void TFontObj::SetFirstLineLook(const TFirstLineLook& Look) {
  TRunRare& R = EditRare();
  if (!R.FirstLine) R.FirstLine = std::make_unique<TFirstLineLook>();
  *R.FirstLine = Look;
}

const TFontObj::TFirstLineLook* TFontObj::FirstLineLook() const {
  return Rare() ? Rare()->FirstLine.get() : nullptr;
}

void TFontObj::UseFirstLineLook(bool On) {
  if (!Rare() || Rare()->FirstLineOn == On) return;
  TRunRare& R = *FExtras->Rare;
  if (On && !R.FirstLine) return;
  R.FirstLineOn = On;
  if (On) {
    R.OwnFont = FFont;
    R.OwnLineHeight = FLineHeight;
    FLineHeight = R.FirstLine->LineHeight;
    ReplaceFont(R.FirstLine->Font);
  } else {
    FLineHeight = R.OwnLineHeight;
    ReplaceFont(std::move(R.OwnFont));
    R.OwnFont.reset();
  }
}

void TFontList::InsertAt(int Index, std::unique_ptr<TFontObj> Run) {
  FItems.insert_at(static_cast<size_t>(Index), Run.release());
}
