// Font runs of a text section: where the inline style changes, with the metrics that
// layout needs and, for links, the four link fonts and the target.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/core/compact_vectors.h"
#include "document/core/document_objects.h"
#include "document/core/url_target.h"
#include "style/element_font.h"
#include "style/layout_kinds.h"
#include "toolkit/fonts/font.h"

class TSection;

// Where a run's baseline sits: subscripts below, superscripts above.
enum class TScript : int8_t { Normal, Sub, Super };

class TFontObj : public TDocFontRun {
 public:
  // Font is shared with the element and the runs made from it; a run that changes its
  // font (link states) takes a copy of its own first.
  TFontObj(TSection* Section, int Pos, std::shared_ptr<const TMyFont> Font);
  // A copy for another section (the print copy).
  TFontObj(TSection* Section, const TFontObj& Source);

  void ReplaceFont(std::shared_ptr<const TMyFont> Font);
  void ApplyFontInfo(const ThtFontInfo& Info);
  // Gives the run the four link fonts Fonts. Runs in a row mostly have equal ones:
  // those share one array.
  void SetLinkFonts(const TFontInfoArray& Fonts);
  void ClearLinkFonts();
  // The four link fonts, or null when the run has none.
  const TFontInfoArray* LinkFonts() const;
  void ReadMetrics();

  void SetVisited(bool Value) override;
  void SetHover(bool Value);
  void SetHoverAll(bool Value) override;
  // SetHover on this run and on the neighbours in LinkRuns carrying the same link id.
  void SetHoverAll(bool Value, std::vector<TDocFontRun*>& LinkRuns);

  std::string LinkURL() const override { return Target().URL; }
  // The run's title and link target. Most runs have neither: they are kept apart and
  // made on the first change, and an absent one reads as empty.
  const std::string& Title() const;
  void SetTitle(const std::string& Value);
  const TUrlTarget& Target() const;
  TUrlTarget& EditTarget();
  // Takes Target's values; an empty one clears the run's.
  void SetTarget(const TUrlTarget& Target);
  void ClearTarget();
  // The look a run takes while it stands in its section's first line: the font, the
  // line-height and the letter case of its element under a ":first-line" style.
  struct TFirstLineLook {
    std::shared_ptr<const TMyFont> Font;
    int16_t LineHeight = -1;
    TTextTransform Case = TTextTransform::None;
  };
  void SetFirstLineLook(const TFirstLineLook& Look);
  // Null when the run has none.
  const TFirstLineLook* FirstLineLook() const;
  // Switches between the first-line look and the run's own font and line-height.
  void UseFirstLineLook(bool On);
  // A run that layout split off at the end of the first line: the next layout drops it.
  bool IsFirstLinePiece() const { return Rare() && Rare()->FirstLinePiece; }
  void MarkFirstLinePiece() { EditRare().FirstLinePiece = true; }

  // What an italic face leans past its advance.
  int Overhang() const { return FFont && FFont->Italic ? FTmHeight / 10 : 0; }
  int GetHeight(int& Descent) const {
    Descent = FDescent;
    return FFontHeight;
  }
  // Where "vertical-align" puts the run: on the line's top or bottom, or on the baseline
  // raised by Raise pixels (negative: lowered). Few runs are raised: the raise lives with
  // the title and target.
  TVerticalAlign VAlign() const { return FVAlign; }
  int Raise() const { return Rare() ? Rare()->Raise : 0; }
  // Align is Baseline, Top or Bottom.
  void SetPlacement(TVerticalAlign Align, int Raise);
  // The resolved font for a resolution.
  const TFontHandle* Handle(int Dpi = 96) const { return FFont->Handle(Dpi); }

  // A section keeps one or more runs: the small fields come first, packed.
  TSection* FSection = nullptr;
  bool FVisited : 1 = false;
  bool FHover : 1 = false;
  TScript FScript : 3 = TScript::Normal;
  TVerticalAlign FVAlign : 3 = TVerticalAlign::Baseline;
  // Metrics of the font in pixels at the screen resolution, each within +-32767.
  int16_t FFontHeight = 0;
  int16_t FTmHeight = 0;
  int16_t FTmMaxCharWidth = 0;
  int16_t FDescent = 0;
  // The run's element's line-height in pixels, -1 for "normal" (the font's own height).
  int16_t FLineHeight = -1;
  int FPos = 0;
  std::shared_ptr<const TMyFont> FFont;

 private:
  // What few runs have: a raise, a first-line look, or being a piece split off at the end
  // of the first line. Kept apart so that a link's record stays small.
  struct TRunRare {
    std::unique_ptr<TFirstLineLook> FirstLine;
    // The run's own font and line-height while the first-line look is on.
    std::shared_ptr<const TMyFont> OwnFont;
    int16_t OwnLineHeight = -1;
    int Raise = 0;
    bool FirstLineOn = false;
    bool FirstLinePiece = false;
    TRunRare() = default;
    TRunRare(const TRunRare& Other)
        : OwnFont(Other.OwnFont), OwnLineHeight(Other.OwnLineHeight), Raise(Other.Raise),
          FirstLineOn(Other.FirstLineOn), FirstLinePiece(Other.FirstLinePiece) {
      if (Other.FirstLine) FirstLine = std::make_unique<TFirstLineLook>(*Other.FirstLine);
    }
    bool IsEmpty() const { return Raise == 0 && !FirstLine && !FirstLinePiece; }
  };
  struct TRunExtras {
    std::string Title;
    TUrlTarget Target;
    std::shared_ptr<const TFontInfoArray> LinkFonts;  // never changed once shared
    std::unique_ptr<TRunRare> Rare;
    TRunExtras() = default;
    TRunExtras(const TRunExtras& Other) : Title(Other.Title), LinkFonts(Other.LinkFonts) {
      Target.Copy(Other.Target);
      if (Other.Rare) Rare = std::make_unique<TRunRare>(*Other.Rare);
    }
  };
  const TRunRare* Rare() const { return FExtras ? FExtras->Rare.get() : nullptr; }
  TRunRare& EditRare();
  void ApplyLinkItem();
  TRunExtras& Extras();
  void ReleaseEmptyExtras();
  std::unique_ptr<TRunExtras> FExtras;
};

// The runs of a section, owned. Most sections have one run, kept without an allocation.
class TFontList {
 public:
  TFontList() = default;
  ~TFontList();
  TFontList(const TFontList&) = delete;
  TFontList& operator=(const TFontList&) = delete;
  TFontList(TFontList&& Other) noexcept = default;
  TFontList& operator=(TFontList&& Other) noexcept;

  int Count() const { return static_cast<int>(FItems.size()); }
  TFontObj* operator[](int I) const { return FItems[I]; }
  TFontObj* Last() const { return FItems.empty() ? nullptr : FItems.back(); }
  void Add(std::unique_ptr<TFontObj> Run) { FItems.push_back(Run.release()); }
  // Runs of a split first line; neither is a registered link run.
  void InsertAt(int Index, std::unique_ptr<TFontObj> Run);
  void DeleteAt(int Index) { DeleteRun(static_cast<size_t>(Index), nullptr); }

  // The run covering Pos (the last with FPos <= Pos; the first when none), or null.
  TFontObj* RunAt(int Pos, int& Index) const;
  const TMyFont* FontAt(int Pos, int& Overhang) const;
  // Characters from Pos to the next run's start, or to Len when none follows.
  int RunLengthAt(int Pos, int Len) const;
  // A character at Pos was removed: later runs move down; a run left empty is dropped
  // (and taken out of LinkRuns).
  void RemovePosition(int Pos, std::vector<TDocFontRun*>* LinkRuns);
  // The same for every position of Sorted (increasing), in one pass.
  void RemovePositions(const std::vector<int>& Sorted, std::vector<TDocFontRun*>* LinkRuns);
  // Drops the runs that cover no character of a text of Len characters (taking them out
  // of LinkRuns), keeping at least one run.
  void DropEmptyRuns(int Len, std::vector<TDocFontRun*>* LinkRuns);

 private:
  void Clear();
  // Frees the run at Index, taking a link run out of LinkRuns.
  void DeleteRun(size_t Index, std::vector<TDocFontRun*>* LinkRuns);
  TSmallVector<TFontObj*> FItems;  // owned
};
