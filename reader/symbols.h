// The reader's symbols: one enumeration for tags, end tags, attributes and token kinds, the
// tag, attribute and entity tables, and bit sets of symbols that the builder uses as stop sets.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

// A tag and an attribute of the same name share one symbol ("TITLE", "STYLE", "LINK", "WRAP",
// "SELECTED"); the attribute "TEXT" is the text-run symbol itself.
enum TSymbol : uint8_t {
  symNone, symText, symOther, symOtherAttr, symOtherChar, symEof, symEol, symNoList, symHtml,
  symHtmlEnd, symTitle, symTitleEnd, symBody, symBodyEnd, symHead, symHeadEnd, symB, symBEnd, symI,
  symIEnd, symHeading, symHeadingEnd, symEm, symEmEnd, symStrong, symStrongEnd, symU, symUEnd, symCite,
  symCiteEnd, symVar, symVarEnd, symTt, symTtEnd, symCode, symCodeEnd, symKbd, symKbdEnd, symSamp,
  symSampEnd, symOl, symOlEnd, symUl, symUlEnd, symDir, symDirEnd, symMenu, symMenuEnd, symDl,
  symDlEnd, symA, symAEnd, symAddress, symAddressEnd, symBlockquote, symBlockquoteEnd, symPre,
  symPreEnd, symCenter, symCenterEnd, symTable, symTableEnd, symTd, symTdEnd, symTh, symThEnd,
  symCaption, symCaptionEnd, symForm, symFormEnd, symTextarea, symTextareaEnd, symSelect, symSelectEnd,
  symOption, symOptionEnd, symFont, symFontEnd, symSub, symSubEnd, symSup, symSupEnd, symBig,
  symBigEnd, symSmall, symSmallEnd, symP, symPEnd, symMap, symMapEnd, symFrameset, symFramesetEnd,
  symNoframes, symNoframesEnd, symScript, symScriptEnd, symDiv, symDivEnd, symS, symSEnd, symStrike,
  symStrikeEnd, symTr, symTrEnd, symNobr, symNobrEnd, symStyle, symStyleEnd, symSpan, symSpanEnd,
  symDfn, symDfnEnd,
  symLi, symBr, symHr, symDd, symDt, symImage, symBase, symButton, symInput, symSelected, symBasefont,
  symArea, symFrame, symPage, symBgsound, symWrap, symMeta, symPanel, symWbr, symLink, symHref,
  symName, symSrc, symAlt, symAlign, symBgcolor, symBackground, symColspan, symRowspan, symBorder,
  symCellpadding, symCellspacing, symValign, symWidth, symStart, symValue, symType, symCheckbox,
  symRadio, symMethod, symAction, symChecked, symSize, symMaxlength, symCols, symRows, symMultiple,
  symFace, symColor, symTransp, symClear, symIsmap, symBordercolor, symUsemap, symShape, symCoords,
  symNohref, symHeight, symPlain, symTarget, symNoresize, symScrolling, symHspace, symLanguage,
  symFrameborder, symMarginwidth, symMarginheight, symLoop, symOnclick, symNoshade, symHttpEq,
  symContent, symEnctype, symVlink, symOlink, symActive, symVspace, symClass, symId, symRel, symRev,
  symNowrap, symBordercolorlight, symBordercolordark, symCharset, symRatio, symOnfocus, symOnblur,
  symOnchange, symMedia,
  symCount
};

static_assert(symCount <= 256, "symbols must fit a byte and a TSymbolSet");

// A set of symbols, one bit each; usable in constant expressions.
class TSymbolSet {
 public:
  constexpr TSymbolSet() = default;
  constexpr TSymbolSet(std::initializer_list<TSymbol> Symbols) {
    for (TSymbol S : Symbols) Include(S);
  }
  constexpr bool Contains(TSymbol S) const { return (FBits[S >> 6] >> (S & 63)) & 1; }
  constexpr void Include(TSymbol S) { FBits[S >> 6] |= uint64_t(1) << (S & 63); }
  constexpr void Exclude(TSymbol S) { FBits[S >> 6] &= ~(uint64_t(1) << (S & 63)); }
  constexpr bool Empty() const { return (FBits[0] | FBits[1] | FBits[2] | FBits[3]) == 0; }
  constexpr TSymbolSet operator+(const TSymbolSet& Other) const {
    TSymbolSet R;
    for (int I = 0; I < 4; ++I) R.FBits[I] = FBits[I] | Other.FBits[I];
    return R;
  }
  constexpr TSymbolSet operator-(const TSymbolSet& Other) const {
    TSymbolSet R;
    for (int I = 0; I < 4; ++I) R.FBits[I] = FBits[I] & ~Other.FBits[I];
    return R;
  }
  constexpr bool operator==(const TSymbolSet&) const = default;

 private:
  uint64_t FBits[4] = {0, 0, 0, 0};
};

// One row of the tag table. End is symNone for the tags that have no end symbol.
struct TTagEntry {
  const char* Name;  // upper case, as the lexer collects it
  TSymbol Start;
  TSymbol End;
};

struct TAttributeEntry {
  const char* Name;  // upper case
  TSymbol Sym;
};

constexpr int PairedTagCount = 52;  // the first rows of TagTable have an end symbol
constexpr int TagCount = 72;
constexpr int AttributeEntryCount = 77;

extern const TTagEntry TagTable[TagCount];
extern const TAttributeEntry AttributeTable[AttributeEntryCount];

// FNV-1a, so the lexer can hash a name while it collects it.
constexpr uint32_t NameHashSeed = 2166136261u;
constexpr uint32_t NameHashStep(uint32_t Hash, unsigned char C) { return (Hash ^ C) * 16777619u; }
uint32_t NameHash(std::string_view Name);

// Lookups of upper-case names, first equal table row wins. Hash is NameHash(Name).
const TTagEntry* FindTag(std::string_view Name, uint32_t Hash);
inline const TTagEntry* FindTag(std::string_view Name) { return FindTag(Name, NameHash(Name)); }
TSymbol FindAttribute(std::string_view Name, uint32_t Hash);  // symOtherAttr when unknown
inline TSymbol FindAttribute(std::string_view Name) { return FindAttribute(Name, NameHash(Name)); }

// Lower-case tag name of a start symbol (all 72 tags) or an end symbol (the 52 paired tags);
// empty when the symbol names no tag.
std::string_view StartTagName(TSymbol Sym);
std::string_view EndTagName(TSymbol Sym);
// The end symbol paired with a start symbol, symNone when there is none.
TSymbol EndSymbolOf(TSymbol Sym);

// Character code of a named entity (case-sensitive; the special names before the Latin-1
// names), -1 when unknown. "hellip" is not in the tables: the lexer expands it itself.
int FindEntity(std::string_view Name);
// The longest entity name FindEntity knows.
constexpr int MaxEntityName = 8;

// The character-set table: the first entry whose text occurs in the lower-cased name gives
// the charset. IsEucJp tells the caller that the document must be converted to Shift_JIS.
bool CharsetFromTable(std::string_view Name, uint8_t& Charset, bool& IsEucJp);
