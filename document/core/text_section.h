// A run of inline content: the text of a paragraph with the objects placed in its lines,
// broken into lines by layout and drawn piece by piece.
#pragma once

#include "document/core/document_objects.h"

#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/core/compact_vectors.h"
#include "document/core/font_obj.h"
#include "document/core/indent_manager.h"
#include "document/core/inline_box.h"
#include "document/core/section_base.h"
#include "document/core/token_obj.h"
#include "style/layout_kinds.h"

class TSectionList;
class TProperties;

// Codes that stand for something other than a character.
constexpr char ccFormControl = 2;
constexpr char ccImage = 4;
constexpr char ccNbsp = 5;
constexpr char ccBreak = 8;
constexpr char ccSoftHyphen = static_cast<char>(0xAD);

// An image, panel or form control sitting at one position of a text section. The image
// and control kinds implement it; the section only measures, places and draws through it.
class TInlineObject {
 public:
  virtual ~TInlineObject() = default;
  virtual bool Floating() const { return false; }
  // Sizes the object for the available width (percent widths).
  virtual void SizeFor(int /*Width*/) {}
  // An object with content of its own (an inline block) lays it out for the available
  // width, its top at Y, before the lines are fitted; Width 0 asks for the widest it takes.
  virtual void LayOutContent(TCanvas* /*Canvas*/, int /*Width*/, int /*Y*/) {}
  virtual bool PercentWidth() const { return false; }
  // Width plus left and right spacing or margins.
  virtual int HorzExtent() const = 0;
  virtual int Height() const = 0;
  // Vertical spacing above plus below (floats).
  virtual int VertSpacing() const { return 0; }
  virtual TVerticalAlign VAlign() const { return TVerticalAlign::Baseline; }
  // A picture laid out as a block stands on a line of its own, not on a line of text.
  virtual bool BlockLevel() const { return false; }
  // Pixels the box's baseline stands above the line's, when VAlign is Baseline.
  virtual int Raise() const { return 0; }
  virtual void SetLayoutY(int /*Y*/) {}
  virtual TFloatImageBox FloatBox() const { return {}; }
  virtual void SetFloatIndent(int /*Indent*/) {}
  // The document rows a floating object paints, from Top to just above Bottom, where its
  // float record put it; false when it cannot tell (then every pass offers it a paint).
  virtual bool FloatRows(int& /*Top*/, int& /*Bottom*/) const { return false; }
  virtual void Draw(TCanvas* /*Canvas*/, const TPaintContext& /*Context*/, int /*X*/,
                    int /*TopY*/, int /*Baseline*/) {}
  // A control's window goes to (X, Top), or its likeness is painted there when Printing.
  virtual void DrawControl(TCanvas* /*Canvas*/, int /*X*/, int /*Top*/, bool /*Printing*/) {}
  // A floating object paints itself where its float record put it, the cell's left edge
  // being LeftEdge, when it meets the pass's band. Floats paint over the backgrounds of the
  // blocks around them and under the text: one that ends by TextBottom (document Y, the
  // bottom of the text that holds it) paints at once, before that text; one reaching lower
  // paints after the whole pass, over the blocks that follow.
  virtual void DrawFloating(TCanvas* /*Canvas*/, const TPaintContext& /*Context*/,
                            int /*LeftEdge*/, int /*TextBottom*/) {}
  // Whether the object was painted over the document point (X, Y), and where inside it.
  virtual bool HitAt(int /*X*/, int /*Y*/, int& /*IX*/, int& /*IY*/) const { return false; }
  virtual std::string TitleText() const { return {}; }
  virtual TDocImage* AsImage() { return nullptr; }
  // The control of an image input, told the point (X, Y) inside the image that was hit.
  virtual TDocControl* TakeHitPoint(int /*X*/, int /*Y*/) { return nullptr; }
  // The client-side map of an image (upper case), and whether it is a server-side map.
  virtual const std::string& MapKey() const;
  virtual bool IsMap() const { return false; }
  // A copy for another document (the print copy); null when the object has none.
  virtual std::unique_ptr<TInlineObject> Clone(TSectionList* /*ADocument*/) const { return nullptr; }
};

struct IndexObj {
  int DocOffset = 0;
  int SourceOffset = 0;
};

struct LineRec {
  int TextStart = 0;
  int CharCount = 0;
  int GapAbove = 0;
  int TextHeight = 0;
  int GapBelow = 0;
  int PaintHeight = 0;
  int BaseDescent = 0;
  int Indent = 0;
  int AvailWidth = 0;
  // Justification: ExtraWidth pixels spread over SpaceCount spaces. A line whose values
  // do not fit in 16 bits is not spread.
  int16_t SpaceCount = 0;
  int16_t ExtraWidth = 0;
  int Advance() const { return GapAbove + TextHeight + GapBelow; }
};

class TSection : public TSectionBase {
 public:
  // An empty section whose first run has Font.
  TSection(TSectionList* ADocument, std::shared_ptr<const TMyFont> Font);
  ~TSection() override;
  // A section for the builder: the first run takes the element's font and title, and a
  // link target with a URL makes it a link run; alignment, line height, clearing (the
  // "clear" attribute, when present, as ClearAttr) and, for the first section of a block,
  // the first-line indent come from Props.
  static std::unique_ptr<TSection> Create(TSectionList* ADocument, TProperties& Props,
                                          const TUrlTarget* LinkTarget, bool FirstInBlock,
                                          const std::string* ClearAttr);
  // The line height "line-height" asks for in Props, in pixels, for the first run's font;
  // 0 for the font's own.
  static constexpr int MaxLineHeight = 32767;
  void TakeLineHeight(const TProperties& Props);
  // The line-height of an element with Props and its Font in pixels, -1 for "normal".
  static int LineHeightOf(const TProperties& Props, const TMyFont& Font);
  // The last run takes the line-height of Props, the element it starts.
  void TakeRunLineHeight(const TProperties& Props);
  // The inline style changes at the end of the text, with Props' font, title, letter case
  // and the link fonts when the run carries a URL.
  void StartFontRun(TProperties& Props);
  // The same for an anchor: only IsLinkStart makes the run a link run.
  void StartLinkRun(bool IsLinkStart, const TUrlTarget& Target, TProperties& Props);

  // The last run's look in the first line. Runs that start past MaxFirstLineChars keep
  // their own look; so does the letter case of characters past it.
  static constexpr int MaxFirstLineChars = 2048;
  void SetFirstLineLook(const TFontObj::TFirstLineLook& Look);
  bool FirstLineStyled() const { return FRare && FRare->FirstLineStyled; }
  // The same from the properties the last run's text has in the first line.
  void TakeFirstLineLook(TProperties& Props);

  // Building.
  // The builder's state read as text and runs are added.
  // Every text is a section: the small fields are bit-fields, packed with the flags below
  // (three bits hold a signed enum's 0 to 3).
  TTextTransform FCaseTransform : 3 = TTextTransform::None;
  TScript FScriptState : 3 = TScript::Normal;
  bool FNoBreak : 1 = false;
  uint8_t FLastByteKind : 2 = 0;  // of the last character appended, as ByteKind tells
  virtual void AppendChar(char Ch, int SourceIndex);
  virtual void AppendTokens(const TokenObj& Token);
  // Count characters, each with its source offset.
  void AppendChars(const char* Chars, const int* Indexes, int Count);
  virtual void CompleteText();
  // The inline style changes at the end of the text.
  void StartFontRun(std::shared_ptr<const TMyFont> Font, const std::string& Title);
  // Places an object at the end of the text: code 4 for images and panels, 2 for controls.
  // Owned objects are images and panels; controls belong to their form.
  void AddObject(std::unique_ptr<TInlineObject> Object, int SourceIndex);
  void AddControl(TInlineObject* Control, int SourceIndex);
  // An inline element with a box starts at the end of the text; the index to close it by.
  int OpenInlineBox(const TInlineBox& Box);
  // It ends at the end of the text. One left open ends with the section.
  void CloseInlineBox(int Index);
  void ReleaseRegistrations();
  bool PrepareToAdd() override;
  virtual bool IsPreformatted() const { return false; }
  // Only a floating object reads the edges when the text is drawn.
  bool NeedsFloatsOnlyInLayout() const override { return Objects().empty(); }
  // How many floating objects the section's draws have offered a paint so far: each draw
  // offers those whose rows meet its band, not every float of the section.
  long long FloatsVisited() const { return FRare && FRare->Floats ? FRare->Floats->Visited : 0; }

  // TSectionBase.
  std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const override;
  void CopySelection() override;
  int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
             IndentManager* IMgr, int& MaxWidth, int& Curs) override;
  int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
           int YRef) override;
  unsigned HitTestLink(TCanvas* Canvas, int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget,
                       TDocControl*& FormControl, std::string& Title) override;
  bool HitTestObject(int X, int Y, TObject*& Obj, int& IX, int& IY) override;
  int PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt,
                      bool& InText) override;
  int FindText(std::string_view ToFind, int From, bool MatchCase) override;
  int DocToSourcePos(int DocPos) override;
  int SourceToDocPos(int SourcePos, bool Prev) override;
  bool PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y) override;
  bool CharAtPosition(int Pos, char& Ch, TObject*& Obj) override;
  // The character at Pos (a document position) when its run's text is UTF-8, with the
  // document positions of its first byte and its length in bytes; false otherwise.
  bool Utf8CharAtPosition(int Pos, char32_t& C, int& Start, int& Length) const;
  // Text from From to To (offsets in the section) as UTF-8, whatever code pages its runs
  // are in.
  std::string SelectedUtf8(int From, int To) const;
  void MeasureWidths(TCanvas* Canvas, int& Min, int& Max) override;
  void MeasureFitWidths(TCanvas* Canvas, int& Min, int& Max) override;
  TMarginDrop DropBottomMargin() override;
  bool TakeBottomMargin(int& Bottom) override;

  // Makes the section a paragraph of its own: Top and Bottom pixels of spacing above and
  // below its text, as a block with nothing but vertical margins would put there; the
  // bottom is dropped like a block's when it is the default paragraph spacing. A page of
  // plain paragraphs thus keeps one section per paragraph and no block around each.
  // Spacing beyond ParagraphSpacingLimit pixels either way stays with the block.
  static constexpr int ParagraphSpacingLimit = 32767;
  static bool ParagraphSpacingFits(int Top, int Bottom) {
    return std::abs(static_cast<long long>(Top)) <= ParagraphSpacingLimit &&
           std::abs(static_cast<long long>(Bottom)) <= ParagraphSpacingLimit;
  }
  void SetParagraphSpacing(int Top, int Bottom, bool BottomIsDefault);
  // The point size of the first font, the height of a section that keeps its font's room.
  int FontRoom() const;
  bool IsParagraph() const { return FIsParagraph; }
  int ParagraphBottom() const { return FParaBottom; }

  // Baseline shift of a run: up for superscript, down for subscript.
  static int ScriptOffset(const TFontObj& Run) {
    return Run.FScript == TScript::Super ? -(Run.FFontHeight / 3)
           : Run.FScript == TScript::Sub ? Run.FDescent / 2 + 1
                                         : 0;
  }
  int Len() const { return static_cast<int>(FText.size()); }
  // Width of N characters from Start; trailing breakable spaces and breaks left out when
  // TrimTrailing.
  int TextWidth(int Start, int N, bool TrimTrailing) const;

  // A 'n' flag keeps a line from breaking after the character at its position.
  bool Unbreakable(int Pos) const {
    assert(!FRare || FRare->BreakFlags.empty() || size_t(Pos) < FRare->BreakFlags.size());
    return FRare && !FRare->BreakFlags.empty() && FRare->BreakFlags[Pos] == 'n';
  }
  // The flags of every position, 'y' or 'n', one more than Len once the text is complete.
  std::string BreakFlags() const;

  // A document keeps one section per paragraph: the small fields come first, packed.
  bool FSourceOpen : 1 = true;
  bool FMayHaveDBCS : 1 = false;
  bool FHasUtf8 : 1 = false;  // some run's text is UTF-8
  bool FHasAnchor : 1 = false;
  bool FIsParagraph : 1 = false;
  bool FParaBottomDefault : 1 = false;
  // The section of an element without any text (an empty PRE): laid out without text it
  // is still as high as its first font's point size.
  bool FKeepsFontRoom : 1 = false;
  // The element set a line-height (FLineHeight may then be 0).
  bool FLineHeightSet : 1 = false;
  // Lines are made of the line-heights of their inline boxes: some element of the section
  // set one. Sections where none did keep their font's own pitch.
  bool FLineBoxes : 1 = false;
  TTextAlign FAlign : 3 = TTextAlign::Left;
  TClearSides FClear : 2 = TClearSides::None;
  int8_t FFirstIndentPct = 0;  // 0 to 90

 protected:
  int16_t FDpi = 96;  // of the last canvas seen, at most 32767

 public:
  int16_t FParaTop = 0;  // spacing that does not fit keeps its block
  int16_t FParaBottom = 0;
  int16_t FLineHeight = 0;  // at most MaxLineHeight
  // Numbered in document order when the text is complete (0 when empty): layout reports
  // its progress at every 50th.
  int FSectionNumber = 0;
  int FFirstIndent = 0;
  int FDrawLeft = 0;
  std::string FText;
  TFontList FFontRuns;
  // An entry where a piece of text that stood together in the source begins: the text's
  // offsets run on from it to the next entry (kept so while the text is still open, too).
  TSmallVector<IndexObj> FSourceMap;
  // Most sections are paragraphs of one line: that line is kept in the section.
  TSmallVector<LineRec> FLines;

  struct TObjEntry {
    int Pos = 0;
    TInlineObject* Obj = nullptr;
    bool IsControl = false;
    std::unique_ptr<TInlineObject> Owned;
  };
  // What few sections have, made on the first need: break flags (empty while every
  // position may break), placed objects, the kind of every byte of complete text with
  // long stretches of lead bytes, and the widths MeasureWidths found (cached while MinWidth is
  // at least 1).
  // Room that inline boxes take between characters: Width pixels before the character at
  // Pos (or after the last one when Pos is Len).
  struct TBoxEdge {
    int Pos = 0;
    int Width = 0;
  };
  // A floating object's rows and its place in Objects.
  struct TFloatRow {
    int Top = 0, Bottom = 0;
    uint32_t Index = 0;
  };
  // Rows of floats of one height class (up to twice the shortest): Rows[Begin, End), by
  // top; none is taller than Height, so only those starting less than Height above a band
  // can meet it.
  struct TFloatClass {
    uint32_t Begin = 0, End = 0;
    int Height = 0;
  };
  // The floats by their rows, made at the first draw after the section is laid out.
  struct TFloatRows {
    bool Made = false;
    long long Visited = 0;  // floats looked at by draws, made or not
    std::vector<TFloatRow> Rows;
    std::vector<TFloatClass> Classes;
    std::vector<uint32_t> Unplaced;  // floats that cannot tell their rows
  };
  struct TRareParts {
    std::string BreakFlags;
    std::vector<TInlineBox> Boxes;  // in the order the elements open
    std::vector<TBoxEdge> Edges;    // by increasing Pos, made when the text is complete
    std::vector<TObjEntry> Objects;  // by increasing Pos
    std::vector<uint8_t> ByteKinds;
    // The text's first characters in the first line's letter case and in their own,
    // when a first-line look changes the case.
    std::string FirstLineText, OwnLineText;
    // Some run has a first-line look: layout gives it to the text of the first line.
    bool FirstLineStyled = false;
    int MinWidth = 0;
    int MaxWidth = 0;
    std::unique_ptr<TFloatRows> Floats;  // once a section with objects is drawn
  };
  // The parts read as empty when the section has none.
  const std::string& BreakFlagsText() const;
  const std::vector<TObjEntry>& Objects() const { return FRare ? FRare->Objects : NoObjects(); }
  const std::vector<TInlineBox>& InlineBoxes() const { return FRare ? FRare->Boxes : NoBoxes(); }
  const std::vector<TBoxEdge>& BoxEdges() const { return FRare ? FRare->Edges : NoEdges(); }

 protected:
  int Dpi() const { return FDpi; }
  // The left edge of a line's text: the X of the last layout or draw plus its indent.
  int LineX(const LineRec& Line) const { return FDrawLeft + Line.Indent; }
  void SetDpi(int Dpi) { FDpi = static_cast<int16_t>(std::clamp(Dpi, 1, 32767)); }
  // The object at Pos, or null.
  const TObjEntry* ObjectAt(int Pos) const;
  // Gives every position its own flag, so that one can be set.
  void MaterializeBreakFlags() {
    if (BreakFlagsText().empty()) Rare().BreakFlags.assign(FText.size(), 'y');
  }
  // Drops the flags when none of them forbids a break.
  void CompactBreakFlags();
  // In debug builds, checks that the flags, when there are any, number Len plus Extra.
  void CheckBreakFlags([[maybe_unused]] int Extra) const {
    assert(BreakFlagsText().empty() || BreakFlagsText().size() == FText.size() + size_t(Extra));
  }
  // Follows Count characters just appended at From: their letter case as FCaseTransform
  // asks, and the kind of the last byte.
  void TakeAppended(int From, int Count);
  // Removes the characters at Sorted (increasing positions) with their flags and source
  // indexes, in one pass.
  void RemoveChars(const std::vector<int>& Sorted);
  // Characters at Sorted went: objects and runs after them move down.
  void MoveDown(const std::vector<int>& Sorted);
  // Ends the text: the per-character source offsets become the entries of the complete
  // text, runs that cover no character go, byte kinds are taken, and nothing more can be
  // added.
  void CloseText();
  TRareParts& Rare();
  // Drops the rare parts when they hold nothing.
  void ReleaseRare();
  static const std::vector<TObjEntry>& NoObjects();
  static const std::vector<TInlineBox>& NoBoxes();
  static const std::vector<TBoxEdge>& NoEdges();
  // Closes the boxes left open and lists their edges.
  void TakeBoxEdges();
  // Paints the inline boxes met by Line that open at or before UpTo, from box Next on,
  // and moves Next past them; Base as Draw has it. Draw paints each box just before the
  // first text inside it, so that text before an element lies under the element's
  // background where a negative margin pulls the box over it, as in browsers.
  // MeasureWidths; with TrimBlanks, blanks that end a line count for nothing.
  void Measure(TCanvas* Canvas, int& Min, int& Max, bool TrimBlanks);
  void PaintInlineBoxes(TCanvas* Canvas, const TPaintContext& Context, const LineRec& Line,
                        int X, int Base, size_t& Next, int UpTo) const;
  std::unique_ptr<TRareParts> FRare;
  // Forgets the floats' rows, after layout or a new object moved or sized them.
  void ForgetFloatRows() {
    if (FRare && FRare->Floats) FRare->Floats->Made = false;
  }
  void MakeFloatRows();
  // Offers a paint to the floating objects whose rows meet the pass's band, in text order.
  void DrawFloats(TCanvas* Canvas, const TPaintContext& Context, int LeftEdge, int TextBottom);
  // 0 single, 1 lead byte, 2 trail byte (in UTF-8 text: a continuation byte).
  int ByteKind(int Pos) const;
  // The bytes of the character at Pos, a character's first byte.
  int CharBytes(int Pos) const;
  // Whether the byte at Pos is marked as the trail of a letter spelled in several.
  bool MarkedTrail(int Pos) const;
  // The character that ends just before Pos (a character start) in UTF-8 text, and in
  // From where it starts.
  char32_t Utf8CharBefore(int Pos, int& From) const;
  char32_t Utf8CharAt(int Pos) const;
  // The first place from Start where ToFind (UTF-8) stands in any letter case, or -1.
  int FindUtf8Text(std::string_view ToFind, size_t Start) const;
  // Whether a line of UTF-8 text may end between the character before Pos and the one at
  // Pos, as far as the two characters go.
  bool Utf8BreakBetween(int Pos) const;
  // Characters of a UTF-8 line from Start when N of them fit.
  int Utf8Break(int Start, int N) const;
  // Letter case of appended UTF-8 text, character by character where both cases take as
  // many bytes.
  void TakeAppendedUtf8(int From, int Count);
  void SpellCase(const char*& Chars, const int*& Indexes, int& Count, std::string& SpelledChars,
                 std::vector<int>& SpelledIndexes, std::vector<std::pair<int, int>>& Spelled);
  void MarkSpelled(int At, const std::vector<std::pair<int, int>>& Spelled);
  // Finds the kind of every byte once the text is complete, when it has long stretches of
  // lead bytes: telling one byte's kind alone walks back over the lead bytes before it,
  // which is no way to break a long line of them.
  void TakeByteKinds();
  // Floats met while lines are fitted: those waiting for the end of their line, and the
  // position before which floats are placed already (a line tried again lower down must
  // not place them a second time).
  struct TFloatState {
    std::vector<const TObjEntry*> Deferred;
    int PlacedBefore = 0;
  };
  // Characters of a double-byte line from Start when N of them fit.
  int DoubleByteBreak(int Start, int N) const;
  // Characters from Start that fit on a line, at most Max; BreakAt is the position of the
  // first break code at or after Start (or Len), which a line takes as its last character.
  // Places a floating object at Y or, when it has no room beside the floats there, lower
  // down where it has (Top); answers how far below Y its box ends.
  static int PlaceFloat(TInlineObject* Obj, int Y, IndentManager* IMgr, int& Top);
  int LineCharsThatFit(int Start, int Max, int BreakAt, int Y, IndentManager* IMgr,
                       TFloatState& Floats, int& FloatHeight) const;
  // The characters of a line of C from Start at Y, ended earlier when the margin, border
  // and padding of an inline box closing after its last word do not fit with that word.
  int KeepClosingEdgeWithWord(int Start, int C, int Y, IndentManager* IMgr) const;
  // Width of the first N characters of a line piece from Start with a justification.
  int MeasureInLine(const LineRec& Line, int N) const;
  // Characters of Line fitting in Width (justification applied).
  int FitInLine(const LineRec& Line, int Width) const;
  // The heights of Line at Y: by the font's own pitch, or from the line-heights of its
  // inline boxes when FLineBoxes.
  void FontPitchLine(LineRec& Line, int Y) const;
  void MakeLineBox(LineRec& Line, int Y) const;
  // True when Count characters from Start are floats and the spaces between them, at
  // least one float: such a line makes no line box.
  bool OnlyFloatsIn(int Start, int Count) const;
  // Whether Count characters from Start hold an image in the flow of a line of text.
  bool HoldsFlowImage(int Start, int Count) const;
  bool UsesLineBoxes() const;
  // Where the baseline of Run's text stands on Line, whose top is LineTop.
  int RunBaseline(const LineRec& Line, int LineTop, const TFontObj& Run) const;
  // How far the top of an object standing on the baseline is above it.
  int ObjectRise(const TInlineObject& Obj, bool IsControl) const;
  // The top (with its spaces) of an object on a line of the font's own pitch whose top is
  // LineTop, for the alignments the section places itself: the line's bottom, the text's
  // bottom, and the baseline raised or lowered.
  static bool PitchLinePlaces(const TInlineObject& Obj) {
    const TVerticalAlign A = Obj.VAlign();
    return A == TVerticalAlign::Bottom || A == TVerticalAlign::TextBottom ||
           (A == TVerticalAlign::Baseline && Obj.Raise() != 0);
  }
  int PitchLineObjectTop(const LineRec& Line, int LineTop, const TInlineObject& Obj) const;
  // The top of the object of E on Line, whose top is LineTop, in lines of FLineBoxes.
  int ObjectTopInLine(const LineRec& Line, int LineTop, const TObjEntry& E) const;
  void BuildLine(int Start, int C, bool LastLine, int X, int& Y, IndentManager* IMgr,
                 TFloatState& Floats, int FloatHeight, int& MaxY);

 public:
  // Tells the document's progress hook how far its layout has come (every fiftieth text,
  // once a layout); an owner that keeps the section's layout instead of making it again
  // reports for it.
  void ReportProgress();

 protected:
  // The first-line look: every run that has one takes it before the first line is fitted
  // (a split left by the last layout goes), and those from C on give it back once the
  // first line is known to end at C (the run around C is split there).
  void BeginFirstLine();
  void EndFirstLine(int C);
  // Once the text is complete: its first characters in the first line's letter case.
  void TakeFirstLineText();
  // Layout of the text alone, with its first line at Y.
  int LayoutText(TCanvas* Canvas, int X, int Y, int AWidth, IndentManager* IMgr, int& MaxWidth,
                 int& Curs);
};
