#include "reader/symbols.h"

#include <array>
#include <cstring>
#include <string>

const TTagEntry TagTable[TagCount] = {
    {"HTML", symHtml, symHtmlEnd},
    {"TITLE", symTitle, symTitleEnd},
    {"BODY", symBody, symBodyEnd},
    {"HEAD", symHead, symHeadEnd},
    {"B", symB, symBEnd},
    {"I", symI, symIEnd},
    {"H", symHeading, symHeadingEnd},
    {"EM", symEm, symEmEnd},
    {"STRONG", symStrong, symStrongEnd},
    {"U", symU, symUEnd},
    {"CITE", symCite, symCiteEnd},
    {"VAR", symVar, symVarEnd},
    {"TT", symTt, symTtEnd},
    {"CODE", symCode, symCodeEnd},
    {"KBD", symKbd, symKbdEnd},
    {"SAMP", symSamp, symSampEnd},
    {"OL", symOl, symOlEnd},
    {"UL", symUl, symUlEnd},
    {"DIR", symDir, symDirEnd},
    {"MENU", symMenu, symMenuEnd},
    {"DL", symDl, symDlEnd},
    {"A", symA, symAEnd},
    {"ADDRESS", symAddress, symAddressEnd},
    {"BLOCKQUOTE", symBlockquote, symBlockquoteEnd},
    {"PRE", symPre, symPreEnd},
    {"CENTER", symCenter, symCenterEnd},
    {"TABLE", symTable, symTableEnd},
    {"TD", symTd, symTdEnd},
    {"TH", symTh, symThEnd},
    {"CAPTION", symCaption, symCaptionEnd},
    {"FORM", symForm, symFormEnd},
    {"TEXTAREA", symTextarea, symTextareaEnd},
    {"SELECT", symSelect, symSelectEnd},
    {"OPTION", symOption, symOptionEnd},
    {"FONT", symFont, symFontEnd},
    {"SUB", symSub, symSubEnd},
    {"SUP", symSup, symSupEnd},
    {"BIG", symBig, symBigEnd},
    {"SMALL", symSmall, symSmallEnd},
    {"P", symP, symPEnd},
    {"MAP", symMap, symMapEnd},
    {"FRAMESET", symFrameset, symFramesetEnd},
    {"NOFRAMES", symNoframes, symNoframesEnd},
    {"SCRIPT", symScript, symScriptEnd},
    {"DIV", symDiv, symDivEnd},
    {"S", symS, symSEnd},
    {"STRIKE", symStrike, symStrikeEnd},
    {"TR", symTr, symTrEnd},
    {"NOBR", symNobr, symNobrEnd},
    {"STYLE", symStyle, symStyleEnd},
    {"SPAN", symSpan, symSpanEnd},
    {"DFN", symDfn, symDfnEnd},
    {"LI", symLi, symNone},
    {"BR", symBr, symNone},
    {"HR", symHr, symNone},
    {"DD", symDd, symNone},
    {"DT", symDt, symNone},
    {"IMG", symImage, symNone},
    {"BASE", symBase, symNone},
    {"BUTTON", symButton, symNone},
    {"INPUT", symInput, symNone},
    {"SELECTED", symSelected, symNone},
    {"BASEFONT", symBasefont, symNone},
    {"AREA", symArea, symNone},
    {"FRAME", symFrame, symNone},
    {"PAGE", symPage, symNone},
    {"BGSOUND", symBgsound, symNone},
    {"WRAP", symWrap, symNone},
    {"META", symMeta, symNone},
    {"PANEL", symPanel, symNone},
    {"WBR", symWbr, symNone},
    {"LINK", symLink, symNone},
};

const TAttributeEntry AttributeTable[AttributeEntryCount] = {
    {"HREF", symHref}, {"NAME", symName}, {"SRC", symSrc}, {"ALT", symAlt}, {"ALIGN", symAlign},
    {"TEXT", symText}, {"BGCOLOR", symBgcolor}, {"LINK", symLink}, {"BACKGROUND", symBackground},
    {"COLSPAN", symColspan}, {"ROWSPAN", symRowspan}, {"BORDER", symBorder},
    {"CELLPADDING", symCellpadding}, {"CELLSPACING", symCellspacing}, {"VALIGN", symValign},
    {"WIDTH", symWidth}, {"START", symStart}, {"VALUE", symValue}, {"TYPE", symType},
    {"CHECKBOX", symCheckbox}, {"RADIO", symRadio}, {"METHOD", symMethod}, {"ACTION", symAction},
    {"CHECKED", symChecked}, {"SIZE", symSize}, {"MAXLENGTH", symMaxlength}, {"COLS", symCols},
    {"ROWS", symRows}, {"MULTIPLE", symMultiple}, {"VALUE", symValue}, {"SELECTED", symSelected},
    {"FACE", symFace}, {"COLOR", symColor}, {"TRANSP", symTransp}, {"CLEAR", symClear},
    {"ISMAP", symIsmap}, {"BORDERCOLOR", symBordercolor}, {"USEMAP", symUsemap}, {"SHAPE", symShape},
    {"COORDS", symCoords}, {"NOHREF", symNohref}, {"HEIGHT", symHeight}, {"PLAIN", symPlain},
    {"TARGET", symTarget}, {"NORESIZE", symNoresize}, {"SCROLLING", symScrolling},
    {"HSPACE", symHspace}, {"LANGUAGE", symLanguage}, {"FRAMEBORDER", symFrameborder},
    {"MARGINWIDTH", symMarginwidth}, {"MARGINHEIGHT", symMarginheight}, {"LOOP", symLoop},
    {"ONCLICK", symOnclick}, {"WRAP", symWrap}, {"NOSHADE", symNoshade}, {"HTTP-EQUIV", symHttpEq},
    {"CONTENT", symContent}, {"ENCTYPE", symEnctype}, {"VLINK", symVlink}, {"OLINK", symOlink},
    {"ACTIVE", symActive}, {"VSPACE", symVspace}, {"CLASS", symClass}, {"ID", symId},
    {"STYLE", symStyle}, {"REL", symRel}, {"REV", symRev}, {"NOWRAP", symNowrap},
    {"BORDERCOLORLIGHT", symBordercolorlight}, {"BORDERCOLORDARK", symBordercolordark},
    {"CHARSET", symCharset}, {"RATIO", symRatio}, {"TITLE", symTitle}, {"ONFOCUS", symOnfocus},
    {"ONBLUR", symOnblur}, {"ONCHANGE", symOnchange}, {"MEDIA", symMedia},
};

uint32_t NameHash(std::string_view Name) {
  uint32_t H = NameHashSeed;
  for (char C : Name) H = NameHashStep(H, static_cast<unsigned char>(C));
  return H;
}

namespace {

// Names are a few letters long: compared in line, without a call to a library compare, they
// cost a third of what they did on a page of short paragraphs.
bool SameName(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t K = 0; K < A.size(); ++K)
    if (A[K] != B[K]) return false;
  return true;
}

// Open-addressed index over a fixed table: slots hold the row number + 1, 0 is empty. With the
// table less than a third full a lookup is one hash probe and one string compare on average.
template <int Slots>
struct TNameIndex {
  static_assert((Slots & (Slots - 1)) == 0, "power of two");
  int16_t Slot[Slots] = {};
  // Each slot's name, its length known: a lookup compares it without measuring it.
  std::string_view SlotName[Slots] = {};

  template <typename GetName>
  void Build(int Count, GetName Name) {
    for (int Row = 0; Row < Count; ++Row) {
      std::string_view N = Name(Row);
      uint32_t I = NameHash(N) & (Slots - 1);
      bool Duplicate = false;
      while (Slot[I] != 0) {
        if (Name(Slot[I] - 1) == N) {
          Duplicate = true;  // first row wins
          break;
        }
        I = (I + 1) & (Slots - 1);
      }
      if (!Duplicate) {
        Slot[I] = static_cast<int16_t>(Row + 1);
        SlotName[I] = N;
      }
    }
  }

  int Find(std::string_view N, uint32_t Hash) const {
    for (uint32_t I = Hash & (Slots - 1);; I = (I + 1) & (Slots - 1)) {
      int Row = Slot[I] - 1;
      if (Row < 0) return -1;
      if (SameName(SlotName[I], N)) return Row;
    }
  }
};

std::string_view TagName(int Row) { return TagTable[Row].Name; }
std::string_view AttributeName(int Row) { return AttributeTable[Row].Name; }

const TNameIndex<256>& TagIndex() {
  static const TNameIndex<256> Index = [] {
    TNameIndex<256> I;
    I.Build(TagCount, TagName);
    return I;
  }();
  return Index;
}

const TNameIndex<256>& AttributeIndex() {
  static const TNameIndex<256> Index = [] {
    TNameIndex<256> I;
    I.Build(AttributeEntryCount, AttributeName);
    return I;
  }();
  return Index;
}

struct TSymbolNames {
  char Start[symCount][16] = {};  // lower-case names; the longest tag has 10 letters
  char End[symCount][16] = {};
  TSymbol EndOf[symCount] = {};
};

const TSymbolNames& SymbolNames() {
  static const TSymbolNames Names = [] {
    TSymbolNames N;
    for (const TTagEntry& T : TagTable) {
      for (size_t I = 0; T.Name[I] != 0; ++I) {
        char C = static_cast<char>(T.Name[I] - 'A' + 'a');
        N.Start[T.Start][I] = C;
        if (T.End != symNone) N.End[T.End][I] = C;
      }
      N.EndOf[T.Start] = T.End;
    }
    return N;
  }();
  return Names;
}

// Special names first: a name in both tables takes the special code.
struct TEntityEntry {
  const char* Name;
  int Code;
};

const TEntityEntry SpecialEntities[] = {
    {"amp", 38}, {"lt", 60}, {"gt", 62}, {"quot", 34}, {"rsquo", 39}, {"ndash", 45},
    {"trade", 8482}, {"nbsp", 5}, {"OElig", 338}, {"oelig", 339}, {"Scaron", 352},
    {"scaron", 353}, {"Yuml", 376}, {"circ", 710}, {"tilde", 732}, {"ensp", 8194},
    {"emsp", 8195}, {"thinsp", 8201}, {"zwnj", 8204}, {"zwj", 8205}, {"lrm", 8206},
    {"rlm", 8207}, {"mdash", 8212}, {"lsquo", 8216}, {"sbquo", 8218}, {"ldquo", 8220},
    {"rdquo", 8221}, {"bdquo", 8222}, {"dagger", 8224}, {"Dagger", 8225}, {"permil", 8240},
    {"lsaquo", 8249}, {"rsaquo", 8250}, {"euro", 8364}};
constexpr int SpecialEntityCount = sizeof(SpecialEntities) / sizeof(SpecialEntities[0]);
static_assert(SpecialEntityCount == 34);

// Codes 161 to 255 in order.
const char* const Latin1Entities[] = {
    "iexcl", "cent", "pound", "curren", "yen", "brvbar", "sect", "uml", "copy", "ordf",
    "laquo", "not", "shy", "reg", "macr", "deg", "plusmn", "sup2", "sup3", "acute", "micro",
    "para", "middot", "cedil", "sup1", "ordm", "raquo", "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc", "Atilde", "Auml", "Aring", "AElig", "Ccedil", "Egrave",
    "Eacute", "Ecirc", "Euml", "Igrave", "Iacute", "Icirc", "Iuml", "ETH", "Ntilde", "Ograve",
    "Oacute", "Ocirc", "Otilde", "Ouml", "times", "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml", "Yacute", "THORN", "szlig", "agrave", "aacute", "acirc", "atilde", "auml", "aring",
    "aelig", "ccedil", "egrave", "eacute", "ecirc", "euml", "igrave", "iacute", "icirc", "iuml",
    "eth", "ntilde", "ograve", "oacute", "ocirc", "otilde", "ouml", "divide", "oslash",
    "ugrave", "uacute", "ucirc", "uuml", "yacute", "thorn", "yuml"};
constexpr int Latin1EntityCount = sizeof(Latin1Entities) / sizeof(Latin1Entities[0]);
static_assert(Latin1EntityCount == 95);

// Greek letters, arrows, mathematics and other symbols, after the two tables above.
const TEntityEntry SymbolEntities[] = {
    {"fnof", 402}, {"Alpha", 913}, {"Beta", 914}, {"Gamma", 915}, {"Delta", 916},
    {"Epsilon", 917}, {"Zeta", 918}, {"Eta", 919}, {"Theta", 920}, {"Iota", 921},
    {"Kappa", 922}, {"Lambda", 923}, {"Mu", 924}, {"Nu", 925}, {"Xi", 926}, {"Omicron", 927},
    {"Pi", 928}, {"Rho", 929}, {"Sigma", 931}, {"Tau", 932}, {"Upsilon", 933}, {"Phi", 934},
    {"Chi", 935}, {"Psi", 936}, {"Omega", 937}, {"alpha", 945}, {"beta", 946},
    {"gamma", 947}, {"delta", 948}, {"epsilon", 949}, {"zeta", 950}, {"eta", 951},
    {"theta", 952}, {"iota", 953}, {"kappa", 954}, {"lambda", 955}, {"mu", 956}, {"nu", 957},
    {"xi", 958}, {"omicron", 959}, {"pi", 960}, {"rho", 961}, {"sigmaf", 962},
    {"sigma", 963}, {"tau", 964}, {"upsilon", 965}, {"phi", 966}, {"chi", 967}, {"psi", 968},
    {"omega", 969}, {"thetasym", 977}, {"upsih", 978}, {"piv", 982}, {"bull", 8226},
    {"prime", 8242}, {"Prime", 8243}, {"oline", 8254}, {"frasl", 8260}, {"weierp", 8472},
    {"image", 8465}, {"real", 8476}, {"alefsym", 8501}, {"larr", 8592}, {"uarr", 8593},
    {"rarr", 8594}, {"darr", 8595}, {"harr", 8596}, {"crarr", 8629}, {"lArr", 8656},
    {"uArr", 8657}, {"rArr", 8658}, {"dArr", 8659}, {"hArr", 8660}, {"forall", 8704},
    {"part", 8706}, {"exist", 8707}, {"empty", 8709}, {"nabla", 8711}, {"isin", 8712},
    {"notin", 8713}, {"ni", 8715}, {"prod", 8719}, {"sum", 8721}, {"minus", 8722},
    {"lowast", 8727}, {"radic", 8730}, {"prop", 8733}, {"infin", 8734}, {"ang", 8736},
    {"and", 8743}, {"or", 8744}, {"cap", 8745}, {"cup", 8746}, {"int", 8747},
    {"there4", 8756}, {"sim", 8764}, {"cong", 8773}, {"asymp", 8776}, {"ne", 8800},
    {"equiv", 8801}, {"le", 8804}, {"ge", 8805}, {"sub", 8834}, {"sup", 8835},
    {"nsub", 8836}, {"sube", 8838}, {"supe", 8839}, {"oplus", 8853}, {"otimes", 8855},
    {"perp", 8869}, {"sdot", 8901}, {"lceil", 8968}, {"rceil", 8969}, {"lfloor", 8970},
    {"rfloor", 8971}, {"lang", 9001}, {"rang", 9002}, {"loz", 9674}, {"spades", 9824},
    {"clubs", 9827}, {"hearts", 9829}, {"diams", 9830}, {"apos", 39}};
constexpr int SymbolEntityCount = sizeof(SymbolEntities) / sizeof(SymbolEntities[0]);

std::string_view EntityName(int Row) {
  if (Row < SpecialEntityCount) return SpecialEntities[Row].Name;
  Row -= SpecialEntityCount;
  return Row < Latin1EntityCount ? Latin1Entities[Row] : SymbolEntities[Row - Latin1EntityCount].Name;
}

const TNameIndex<1024>& EntityIndex() {
  static const TNameIndex<1024> Index = [] {
    TNameIndex<1024> I;
    I.Build(SpecialEntityCount + Latin1EntityCount + SymbolEntityCount, EntityName);
    return I;
  }();
  return Index;
}

struct TCharsetEntry {
  const char* Text;
  uint8_t Charset;
};

// Searched by substring in this order, so "8859-1" also catches "8859-15".
const TCharsetEntry CharsetTable[] = {
    {"1252", 0}, {"8859-1", 0}, {"1253", 161}, {"8859-7", 161}, {"1250", 238},
    {"8859-2", 238}, {"1251", 204}, {"8859-5", 204}, {"koi", 204}, {"866", 204},
    {"1254", 162}, {"8859-3", 162}, {"8859-9", 162}, {"1257", 186}, {"8859-4", 186},
    {"932", 128}, {"949", 129}, {"936", 134}, {"950", 136}, {"1255", 177},
    {"1256", 178}, {"1258", 163}, {"874", 222}, {"ansi", 0}, {"default", 1},
    {"symbol", 2}, {"shiftjis", 128}, {"shift_jis", 128}, {"x-sjis", 128}, {"hangeul", 129},
    {"gb2312", 134}, {"big5", 136}, {"oem", 255}, {"johab", 130}, {"hebrew", 177},
    {"arabic", 178}, {"greek", 161}, {"turkish", 162}, {"vietnamese", 163}, {"thai", 222},
    {"easteurope", 238}, {"russian", 204}, {"euc-kr", 129}, {"5601", 129}, {"euc-jp", 128},
    {"8859-15", 0}};
static_assert(sizeof(CharsetTable) / sizeof(CharsetTable[0]) == 46);

}  // namespace

const TTagEntry* FindTag(std::string_view Name, uint32_t Hash) {
  int Row = TagIndex().Find(Name, Hash);
  return Row < 0 ? nullptr : &TagTable[Row];
}

TSymbol FindAttribute(std::string_view Name, uint32_t Hash) {
  int Row = AttributeIndex().Find(Name, Hash);
  return Row < 0 ? symOtherAttr : AttributeTable[Row].Sym;
}

std::string_view StartTagName(TSymbol Sym) { return SymbolNames().Start[Sym]; }
std::string_view EndTagName(TSymbol Sym) { return SymbolNames().End[Sym]; }
TSymbol EndSymbolOf(TSymbol Sym) { return SymbolNames().EndOf[Sym]; }

int FindEntity(std::string_view Name) {
  int Row = EntityIndex().Find(Name, NameHash(Name));
  if (Row < 0) return -1;
  if (Row < SpecialEntityCount) return SpecialEntities[Row].Code;
  Row -= SpecialEntityCount;
  return Row < Latin1EntityCount ? 161 + Row : SymbolEntities[Row - Latin1EntityCount].Code;
}

bool CharsetFromTable(std::string_view Name, uint8_t& Charset, bool& IsEucJp) {
  std::string Lower(Name);
  for (char& C : Lower)
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
  IsEucJp = false;
  for (const TCharsetEntry& E : CharsetTable) {
    if (Lower.find(E.Text) != std::string::npos) {
      Charset = E.Charset;
      IsEucJp = std::strcmp(E.Text, "euc-jp") == 0;
      return true;
    }
  }
  return false;
}
