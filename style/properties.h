// The style properties of one element: 57 values by fixed index with inheritance,
// the rules merged into them, and the computed values layout asks for.
#pragma once

#include <array>
#include <bitset>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "style/element_font.h"
#include "style/layout_kinds.h"
#include "style/property_value.h"
#include "style/units.h"

class TStyleList;
class TPropStack;

constexpr int PropCount = 57;

// Property indices; the order is fixed and ranges of it are used as such
// (8..29 form the box array, 10..29 are the box lengths); new ones go at the end.
enum TPropIndex : int {
  piFontFamily, piFontSize, piFontStyle, piFontWeight, piTextAlign, piTextDecoration,
  piBorderStyle, piColor, piBackgroundColor, piBorderColor,
  piMarginTop, piMarginRight, piMarginBottom, piMarginLeft,
  piPaddingTop, piPaddingRight, piPaddingBottom, piPaddingLeft,
  piBorderTopWidth, piBorderRightWidth, piBorderBottomWidth, piBorderLeftWidth,
  piBorderTopStyle, piBorderRightStyle, piBorderBottomStyle, piBorderLeftStyle,
  piWidth, piHeight, piTop, piLeft,
  piVisibility, piLineHeight, piBackgroundImage, piBackgroundPosition, piBackgroundRepeat,
  piVerticalAlign, piPosition, piZIndex, piListStyleType, piListStyleImage, piFloat, piClear,
  piTextIndent, piPageBreakBefore, piPageBreakAfter, piPageBreakInside, piTextTransform,
  piDisplay, piLetterSpacing, piWordSpacing, piWhiteSpace, piListStylePosition,
  piBorderSpacing, piRight, piBottom, piContent, piFontVariant
};

constexpr int BoxFirst = piBackgroundColor;  // first index of the box array
constexpr int BoxCount = 22;
// Box array values (indices 8..29), position = index - 8.
using TVMarginArray = std::array<TPropValue, BoxCount>;
// The same in pixels (or colours and markers).
using TMarginArray = std::array<int, BoxCount>;

// The CSS name of a property index.
std::string_view PropertyName(int index);
// Exact, case-sensitive lookup of a property name.
bool LookupProperty(std::string_view name, int& index);

enum TBackgroundKind { bpTop, bpCenter, bpBottom, bpLeft, bpRight, bpPercent, bpLength };
struct TBackgroundPosition {
  int Kind = bpLength;
  int Value = 0;
  bool Repeat = true;
};
using TBackgroundPositions = std::array<TBackgroundPosition, 2>;  // horizontal, vertical

// The indices that merging a rule copies: its set values, box lengths other than
// NoValue. The style list keeps one per rule so that merging skips the empty slots.
struct TMergeList {
  uint8_t Count = 0;
  uint8_t Indices[PropCount];
};

// What selectors name of an element: its tag, classes and id; and the element closed
// just before it under the same parent, as far back as "a + b + c" rules look.
struct TElementIdentity {
  std::string Tag, Class, Id;
  std::shared_ptr<const TElementIdentity> Before;
};

class TProperties {
 public:
  // Never changed once made: runs share it.
  std::shared_ptr<const TMyFont> FCachedFont;
  bool FHasLinkFonts = false;
  std::string FTagName;
  std::string FElementClass;
  std::string FElementId;
  std::string FPseudoClass;
  std::string FTitleText;
  // The element's style attribute, kept as a copy of its own: the reader's is gone by the
  // time the entry is styled again (when an element closes out of order).
  const TProperties* FStyleAttr = nullptr;
  std::shared_ptr<const TProperties> FStyleAttrHeld;
  TColor FTextBackground = NoColour;
  uint8_t FCharSet = 0;
  static constexpr int DefaultCodePage = 1252;
  int FCodePage = DefaultCodePage;
  // The em and ex of the element's own font, which its lengths count in (font-size
  // itself counts in the parent's).
  int FEmPixels = 0;
  int FExPixels = 0;
  std::array<TPropValue, PropCount> FValues;
  // "background-attachment", which no index holds: set by a rule or the element's own
  // style, never inherited.
  TBackgroundAttachment FBackgroundAttachment = TBackgroundAttachment::Unset;
  std::bitset<PropCount> FSetHere;
  std::unique_ptr<TFontInfoArray> FLinkFonts;
  // The element closed last before this one under the same parent (null when none or
  // not known): "a + b" rules ask for it.
  std::shared_ptr<const TElementIdentity> FPrevSibling;

  // Standalone, or an entry of a property stack (which sets the stack fields).
  TProperties();
  ~TProperties();
  TProperties(const TProperties&) = delete;
  TProperties& operator=(const TProperties&) = delete;

  TPropStack* PropStack() const { return FPropStack; }
  int PropStackIndex() const { return FPropStackIndex; }

  const TPropValue& operator[](int index) const { return FValues[index]; }

  // Without link fonts the entry keeps none of the parent's visited and hover looks.
  void InheritFrom(const TProperties& parent, bool withLinkFonts = true);
  void ApplyStyles(const TStyleList& styles, std::string_view tag, std::string_view elementClass,
                   std::string_view id, std::string_view pseudo, std::string_view title,
                   const TProperties* styleAttr);
  // From an HTML attribute: ignored when a rule or the style attribute set the index.
  void SetFromAttribute(const TPropValue& value, int index);
  void Refresh(const TProperties& source, const TStyleList& styles, int stackIndex);
  void CopyValues(const TProperties& source);
  // A standalone copy of an entry's styled values and identity (not its link fonts).
  void CopyStyled(const TProperties& source);
  // Element's values had its parent been newParent instead of parent: what it inherited
  // (and the background behind its text) comes from newParent. A pseudo-element such as
  // ":first-line" stands between an element and what is inside it in this way.
  void RestyleInside(const TProperties& element, const TProperties& parent,
                     const TProperties& newParent);
  void CopyAsDefault(const TProperties& source);
  // One CSS declaration; unknown names are ignored.
  void SetDeclaration(std::string_view name, std::string_view value);
  void SetDeclarationAt(int index, std::string_view value);
  // "border-top-color" and the like: the colour of one side (0 top .. 3 left), the
  // others kept.
  void SetBorderSideColor(int side, std::string_view value);
  // "fixed" or "scroll"; anything else leaves the attachment as it was.
  void SetBackgroundAttachment(std::string_view value);
  void ApplyCharSet(uint8_t charSet);

  // Merges the set values of a rule (later merges win) and records them as set here.
  void MergeRule(const TProperties& rule);
  void MergeRule(const TProperties& rule, const TMergeList& list);
  TMergeList MergeListOf() const;

  // A copy of the element's font.
  std::unique_ptr<TMyFont> CreateElementFont();
  // The element's font itself, shared.
  std::shared_ptr<const TMyFont> ElementFont();
  ThtFontInfo FillFontInfo() const;
  // "letter-spacing" or "word-spacing" (by index) in pixels, within +-MaxSpacing; 0 for
  // "normal".
  static constexpr int MaxSpacing = 1000;
  int SpacingPixels(int index) const;
  // "white-space" keeps the text's lines from breaking ("nowrap" or "pre").
  bool NoWrapText() const;
  // "white-space: pre": blanks and line ends stay as written.
  bool KeepsBlanks() const;
  // "list-style-position: inside": the marker stands in the first line, as its text.
  bool MarkerInside() const;
  void CopyLinkFontsTo(TFontInfoArray& target) const;
  void TakeTextBackground();

  // Computed values.
  TColor BackgroundColorValue() const;
  TColor OwnColorValue() const;
  bool BackgroundImageName(std::string& name) const;
  void BackgroundPlacement(int emPixels, int exPixels, TBackgroundPositions& positions) const;
  bool VerticalAlignment(TVerticalAlign& align) const;
  bool FloatSide(TFloatSide& side) const;
  bool ClearSides(TClearSides& clear) const;
  // Blank for a keyword it does not know.
  TMarkerStyle ListMarkerKind() const;
  std::string ListMarkerImage() const;
  TPositionKind PositionKind() const;
  TVisibility VisibilityKind() const;
  int StackOrder() const;
  bool DisplaysNothing() const;
  bool HasBorderStyle() const;
  // A table's "border-spacing" in pixels, across and down, within 0..MaxBorderSpacing
  // (as the CELLSPACING attribute); false when no rule set one, or it is unreadable.
  static constexpr int MaxBorderSpacing = 40;
  bool BorderSpacing(int& across, int& down) const;
  // "right" in pixels, percentages of Base; AutoValue when auto or not given.
  int RightOffset(int base) const;
  // "bottom" the same way.
  int BottomOffset(int base) const;
  // The text "content" gives a ":before" or ":after" pseudo-element: its strings joined,
  // escapes read; empty for "none", "normal" or anything else.
  std::string ContentText() const;
  // The line-height in pixels for a font of newHeight pixels; negative when it is none.
  int LineHeightPixels(int newHeight) const;
  // Whether line-height is a length or percentage (not a number, not "normal").
  bool LineHeightIsLength() const;
  // The em of the element's own font: box lengths in em and ex count in it, where the
  // font size itself counts in the parent's (FEmPixels).
  int OwnEmPixels() const;
  int OwnExPixels() const;  // the x-height of the element's own font
  int IndentValue(bool& isPercent) const;
  TTextTransform CaseTransform() const;
  void PageBreakFlags(bool& before, bool& after, bool& inside) const;
  void BoxValues(TVMarginArray& values) const;
  // Whether BoxValues would give these, without making them.
  bool SameBoxValues(const TVMarginArray& values) const;

 private:
  friend class TPropStack;
  void SetLinkFontsFrom(int index, const TPropValue& value);
  // Makes a used entry as a new one is, values aside, keeping the storage its strings and
  // lists hold. A new field is reset here too.
  void Renew();
  int OffsetPixels(const TPropValue& value, int base) const;
  // The font and its measure no longer fit the values.
  void ForgetFont() {
    FCachedFont.reset();
    FCachedFontEm = -1;
  }
  // Sets the em and ex from the element's own font once a rule or attribute chose it.
  void MeasureOwnEm();
  void BuildLinkFonts(const TStyleList& styles, int stackIndex);
  void ApplyStylesNoLinks(const TStyleList& styles, std::string_view tag,
                          std::string_view elementClass, std::string_view id,
                          std::string_view pseudo, std::string_view title,
                          const TProperties* styleAttr);

  TPropStack* FPropStack = nullptr;
  int FPropStackIndex = -1;
  int FCachedFontEm = -1;  // em of FCachedFont, -1 until measured
  int FCachedFontEx = 0;   // and its ex
  // On a stack: the identity is set, and the sheet's ancestor components it matches.
  bool FStyled = false;
  std::vector<int> FAncestorMatches;
};

// The builder's stack of properties: one owned entry per open element, innermost
// last; entry 0 is the document root.
class TPropStack {
 public:
  int Count() const { return int(FItems.size()); }
  TProperties& operator[](int index) const { return *FItems[index]; }
  TProperties& Last() const { return *FItems.back(); }
  // Appends a fresh entry that inherits from the current last one (when any).
  TProperties& Push();
  TProperties& Insert(int index);
  void Delete(int index);
  void Pop() { Delete(Count() - 1); }
  void Clear();

  // Contextual rules ask which open elements match their ancestor components. The stack
  // keeps, per component of the sheet, its matching entries in stack order, so that a
  // lookup costs a binary search instead of a walk down the whole stack.

  // Records the components that an entry matches once its identity is set.
  void NoteIdentity(TProperties& entry, const TStyleList& styles);
  // Index of the nearest entry at or below Below (never the root) that matches the
  // sheet's ancestor component, or -1.
  int NearestMatch(const TStyleList& styles, int component, int below);
  // The same once Sync has caught up with the sheet: a rule's components are looked up
  // one after another without checking the sheet each time.
  int NearestSyncedMatch(int component, int below);
  // Brings the match lists up to the sheet's components.
  void Sync(const TStyleList& styles);
  // Once synced, the same answers for every entry up to Below as a table: row k (at k
  // times MatchRowWidth) holds per component the nearest match at or below entry k, or -1.
  // Null when the stack is too deep against the sheet for a table.
  const int* MatchRows(int below);
  size_t MatchRowWidth() const { return FIndexedComponents; }

 private:
  static constexpr size_t MaxSpare = 16;
  // Places an entry at Index, a spare one renewed when there is one; its values are stale.
  TProperties& Take(int index);
  void Renumber(int from);
  void Forget(TProperties& entry);
  void MatchComponents(TProperties& entry, const TStyleList& styles, size_t first);
  std::vector<std::unique_ptr<TProperties>> FItems;
  // The sheet (and its generation) the match lists were made for, and how many of its
  // components they cover: rules added while a document is read bring new ones.
  const TStyleList* FSheet = nullptr;
  uint64_t FSheetGeneration = 0;
  size_t FIndexedComponents = 0;
  std::vector<std::vector<TProperties*>> FMatches;
  // The same answers as a table, for stacks that are not deep against the sheet: per entry,
  // a row holding per component the index of the nearest matching entry at or below it
  // (never the root), or -1. A row is its parent's with the entry's own matches written in,
  // made when a descendant first asks, so that a lookup is one read. Rows from the first
  // entry that changes (opened, closed, styled) on are stale.
  static constexpr size_t MaxRowCells = size_t(1) << 16;
  // Makes rows up to Index (one the table holds) current.
  void MakeRows(int index);
  void DropRowsFrom(int index) { FRowsMade = std::min(FRowsMade, index); }
  std::vector<int> FRows;
  int FRowsMade = 0;
  // Deleted entries kept for reuse.
  std::vector<std::unique_ptr<TProperties>> FSpare;
};
