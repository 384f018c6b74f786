// The builder's state and operations, shared by the files that read each family of elements:
// builder.cpp (the property stack and the entry points), builder_text.cpp (text, paragraphs,
// blocks, fonts and links), builder_lists.cpp, builder_tables.cpp, and builder_other.cpp
// (head elements, the body, rules).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/blocks/block.h"
#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/core/token_obj.h"
#include "document/forms/form.h"
#include "document/tables/table.h"
#include "reader/builder.h"
#include "reader/lexer.h"
#include "style/colors.h"
#include "style/units.h"

namespace builder_internal {

// The sizes of what a document lists of its content (links, ids, controls, pictures),
// taken when a table cell opens: a cell that left them as they were can go without a trace.
struct TDocumentMarks {
  size_t LinkRuns = 0, FormControls = 0, Panels = 0, Animated = 0, ImageMaps = 0, Forms = 0;
  int PendingImages = 0;
  uint64_t Names = 0;
  bool operator==(const TDocumentMarks&) const = default;
};

// What one table being read keeps: the open row and cell, the row's default vertical
// alignment, and the property stack's top index when the row began. A row wider than a
// table may be drops the table when it is laid out: from then on the cells need not be
// kept, and plain ones are not (a table of a million cells that shows nothing must not
// take the memory of one that shows them).
struct TTableState {
  std::unique_ptr<TCellList> Row;
  std::unique_ptr<TCellObj> Cell;
  // The cell's element on the property stack: its index, and the set there, which
  // its ":after" text needs.
  int CellProps = -1;
  const TProperties* CellSet = nullptr;
  TVerticalAlign RowDefaultVAlign = TVerticalAlign::Middle;
  int RowHeight = 0;
  int RowColumns = 0;  // the column spans of the open row's cells so far
  bool TooWide = false;
  TDocumentMarks CellMarks;  // at the open cell's start
};

std::string Lower(std::string_view S);
std::string Upper(std::string_view S);
// Without the blanks (spaces, tabs, line ends) at both ends.
std::string Trim(std::string_view S);

// Symbols read as inline content by paragraphs, and by the block sequence.
extern const TSymbolSet InlineSyms;
extern const TSymbolSet BlockSequenceInline;

class TBuilder {
 public:
  // Charset, when not negative, is the character set the whole text is in.
  TBuilder(std::string_view Text, TSectionList* Document, const TBuildHandlers* Handlers,
           int Charset = -1);
  ~TBuilder();
  void RunHtml();
  void RunText();
  TBuildResult Result;

 private:
  // Property stack.
  TProperties& PushProps(std::string_view Tag, std::string_view Class, std::string_view ID,
                         std::string_view Pseudo, std::string_view Title, TProperties* Style);
  TProperties& PushTagProps(std::string_view Tag, std::string_view Pseudo = {});
  void PopPropsByTag(std::string_view Tag);
  // Elements closed last at each depth of the stack, when the sheet has "a + b" rules: a
  // new element there follows the one closed before it.
  void TakePrevSibling(TProperties& P);
  void NoteClosed(int Index);
  std::vector<std::shared_ptr<const TElementIdentity>> Closed;
  // Text keeps its blanks and line ends while the innermost open element says
  // "white-space: pre".
  void FollowWhiteSpace();
  std::string AlignValue();
  void ApplyAlign(const std::string& Align);
  TProperties& Top() { return PropStack.Last(); }

  // Sections and blocks.
  void CloseSection();
  bool ClearedByItsBlock(const TSection& Section) const;
  void NewSection(bool Indent, bool Pre = false);
  // The block of the element on top of the stack: a list item when it is shown as one.
  std::unique_ptr<TBlock> MakeBlock(TCellBasic* Owner);
  // A declaration before the first tag: a doctype settles how names match.
  void ReadDoctype(std::string_view Text);
  void StartRun();
  TBlock* NewBlock();
  void RegisterId(TSectionBase* Object);
  void ApplyBlockMargin(TBlock* Block);
  void CompactParagraph(TBlock* Block);
  // A list item whose marker stands inside: its text opens the item's first section.
  void PutMarkerInside(TBlock* Block);
  void FontChange();
  // The start tag of an inline element whose properties are P: a box of its own when it has
  // sides (margins, borders, padding), else the background of its text; then its run.
  // A floating inline element floats as a block: its content up to its end tag (or the
  // first block element) in a block of its own, which the text around it flows beside.
  void ParseFloatingInline(TSymbol S);
  void StartInlineElement(TProperties& P);
  // Where "vertical-align" of the open inline elements puts text started now.
  struct TRunPlacement {
    TVerticalAlign Align = TVerticalAlign::Baseline;
    int Raise = 0;
    // A SUB or SUP element's own value places it instead of the element's shift.
    bool ReplacesScript = false;
  };
  TRunPlacement RunPlacement();
  static bool InLineFlow(const TProperties& P);
  // Its end tag: the box of the element named Tag (innermost open) and those opened inside
  // it end here.
  void EndInlineBox(std::string_view Tag);
  // An inline element that its style shows as a block stands in a block of its own from
  // its start tag to its end tag. Open returns whether it made one; Close comes before
  // the element's set is popped.
  bool OpenInlineAsBlock(const TProperties& P);
  void CloseInlineAsBlock(std::string_view Tag);
  // An inline element that is not displayed: its content is read past, up to its end
  // tag (or an end tag that closes what holds it), and its set is popped.
  void SkipUndisplayed(TSymbol Start);
  void AppendToken(const TLexToken& Token);
  // Count characters of Token from From, as AppendToken appends them.
  void AppendTokenPart(const TLexToken& Token, int From, int Count);

  // Pseudo-elements (builder_first.cpp). A block whose element has a ":first-line" or
  // ":first-letter" style hands it to its first text, or to the first block inside it
  // when that comes first.
  void NoteFirstStyles(TCellBasic* Owner);
  // The block's first text: its first letter in an element of its own, and the section
  // it opens styled in its first line. False when Token is not that text.
  bool TakeFirstStyles(const TLexToken& Token);
  void AppendFirstLetter(const TLexToken& Token, int From, int Count, int Host);
  // ":before" or ":after" (Pseudo) of the open element at stack index Element: the text its
  // "content" gives, in the line as an inline element of its own.
  void AppendGenerated(std::string_view Pseudo, int Element);
  // Generated text shown as an inline block: a block of its own in the open section's line.
  void AppendGeneratedBlock(const std::string& Text);
  // The stack index of the innermost open element named Tag, or -1.
  int OpenIndexOf(std::string_view Tag) const;
  int OpenTextBox(TProperties& P);
  // The elements from stack index From on were closed: styles they held are gone.
  void ForgetFirstStyles(int From);
  // The run just started takes its look in the first line.
  void StyleFirstLineRun();
  struct TFirstStyles {
    TCellBasic* Cell = nullptr;  // the block cell whose first text takes them
    int Host = -1;               // the stack index of the element they belong to
    const TProperties* HostProps = nullptr;
    std::unique_ptr<TProperties> Line;  // the ":first-line" set
    bool Letter = false;                // a ":first-letter" rule matches
  };
  TFirstStyles First;
  // The section whose first line is styled, while it is open.
  TSection* FirstLineSection = nullptr;
  TFirstStyles FirstLine;
  bool InFirstLetter = false;
  void AppendText(const TokenObj& T);
  void AppendPreChar(TokenObj& T);
  void EndPreLine(TokenObj& T, int LineEnd);

  // Parsing. The document loop, divisions and headings recurse once per nesting level;
  // the parsers of elements that hold no blocks stay out of line, so that their locals do
  // not enlarge the frames of the recursion.
  void Next() { Lex.NextSymbol(); }
  TSymbol Sym() const { return Lex.CurSym; }
  void ParseBlockSequence(const TSymbolSet& Stop);
  bool BlanksBeforeParagraph(const TSymbolSet& Stop);
  void ParseInlineOrBlock();
  void ParseImage();
  void ParseMap();
  void ParseScript(bool ReadNext = true);
  TFormControlObj* MakeControl(TControlKind Kind, const TControlAttributes& A);
  void ParsePanel();
  [[gnu::noinline]] void ParseParagraph(const TSymbolSet& Stop);
  void ParseHeading();
  void ParseBreak(const TSymbolSet& Stop);
  void ParseDivision(TSymbol S, const TSymbolSet& Stop);
  // A division shown as an inline block: a block of its own in the open section's line.
  void ParseInlineBlock(const TSymbolSet& Stop);
  // Opens an inline block in the current line, with its cell current while Fill reads what
  // goes in it; the line around it is kept aside meanwhile and goes on after it, also when
  // Fill throws.
  void InInlineBlock(bool Register, const std::function<void(TBlock&)>& Fill);
  void ParseList(TSymbol S, const TSymbolSet& Stop);
  // Index is the item's number; an item with a VALUE changes it for the items after it.
  void ParseListItem(TSymbol ListSym, TSymbol ItemSym, int& Index, const TSymbolSet& Stop,
                     bool Plain, char TypeChar);
  // Tables recurse once per nesting level through their cells.
  void ParseTable();
  void CloseCell(TTableState& T);
  TDocumentMarks DocumentMarks() const;
  // Whether a closed cell of a table that will not show can go now: it holds plain text
  // only, gave the document nothing to list and nothing of the builder's points into it.
  bool CellLeavesNoTrace(const TTableState& T) const;
  // Pops property sets until the top index is Height.
  void PopPropsTo(int Height);
  TVerticalAlign VAlignValue(TVerticalAlign Default);
  [[gnu::noinline]] void ParsePre();
  [[gnu::noinline]] void ParseRule();
  [[gnu::noinline]] void ParseFont(TSymbol S, bool Pre);
  [[gnu::noinline]] void ParseAnchor(bool ReadNext = true);
  void EndAnchor();
  [[gnu::noinline]] void ParseTitle();
  [[gnu::noinline]] void ParseBase();
  [[gnu::noinline]] void ParseMeta();
  [[gnu::noinline]] void ParseLinkTag();
  [[gnu::noinline]] void ParseSound();
  [[gnu::noinline]] void ParseBody();
  bool OpenSectionHoldsContent() const;
  [[gnu::noinline]] void ParseStyle();
  char SkipStyleContent();
  // Forms (builder_forms.cpp).
  void OpenForm();
  // ReadNext false leaves the character after the element current (preformatted text).
  [[gnu::noinline]] void ParseInput(bool ReadNext = true);
  [[gnu::noinline]] void ParseSelect(bool ReadNext = true);
  [[gnu::noinline]] void ParseTextArea(bool ReadNext = true);
  void ParseSelectContent(TListBoxFormControlObj* Control);
  void ParseTextAreaContent(TTextAreaFormControlObj* Control);
  void RegisterLinkRuns(const TSection& Section);
  void Cleanup();

  TLexer Lex;
  std::string_view Source;
  TSectionList* Doc;
  const TBuildHandlers* H;
  TCellBasic* CurCell = nullptr;
  std::unique_ptr<TSection> CurSection;
  TBodyBlock* BodyBlock = nullptr;
  TPropStack PropStack;
  static constexpr int MaxOpenElements = 4096;
  // Stack levels that end tags may still walk and derive again (see PopPropsByTag).
  static constexpr int64_t FreePopReach = 32, PopBudgetPerElement = 16;
  int64_t PopBudget = 4096;
  // The inline boxes open in the current section, innermost last, with their elements' sets.
  struct TOpenBox {
    const TProperties* Props;
    int Index;
  };
  std::vector<TOpenBox> OpenBoxes;
  static constexpr size_t MaxOpenBoxes = 256;
  // Inline elements open as blocks, innermost last; past the limit they stay inline.
  struct TInlineBlock {
    const TProperties* Props;
    TBlock* Block;
  };
  std::vector<TInlineBlock> InlineBlocks;
  static constexpr size_t MaxInlineBlocks = 64;
  TUrlTarget LinkTarget;
  bool LinkOpen = false;
  int BaseFontIndex = 3;
  TScript VertShift = TScript::Normal;
  bool NoWrap = false;
  // Inside a PRE element, which reads its own text: its lines and blanks do not follow
  // the style's white-space.
  bool InPreElement = false;
  int TableDepth = 0;
  // Inline blocks being read: the line around each is held aside, so the body is not empty.
  int InlineBlockDepth = 0;
  int BlockNesting = 0;  // block elements open around the current symbol
  int ListDepth = 0;     // ordered, unordered, directory and menu lists open
  bool CharsetGiven = false;  // the whole text is in the set the constructor was given
  bool Utf8Text = false;      // that set is UTF-8: no element changes it
  // A standards doctype opened the document: class and id names keep their case.
  bool StandardsDocument = false;
  bool DoctypeSettled = false;  // only a declaration before the first tag counts
  ThtmlForm* CurForm = nullptr;  // the open form: controls join it
};

// Counts one more open block element for as long as it lives.
class TNestingLevel {
 public:
  explicit TNestingLevel(int& Level) : FLevel(Level) { ++FLevel; }
  ~TNestingLevel() { --FLevel; }
  TNestingLevel(const TNestingLevel&) = delete;
  TNestingLevel& operator=(const TNestingLevel&) = delete;

 private:
  int& FLevel;
};

}  // namespace builder_internal
