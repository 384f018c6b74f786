#include <algorithm>
#include <cctype>
#include <memory>

#include "reader/builder_state.h"
#include "style/css_parser.h"
#include "style/style_list.h"

// The elements of the head: STYLE sheets (and the STYLE content skipped in the body), TITLE,
// BASE, META, LINK to style sheets and BGSOUND.
namespace builder_internal {
namespace {

// Whether a style sheet is for the screen: it has no MEDIA attribute, or an entry of its
// comma-separated list names "screen" or "all", or "not" another type, or only features in
// brackets. Each entry counts up to its first character that is not a letter, digit or
// hyphen, after an optional "only", so media queries name their type too.
bool ForScreen(const TAttributeList& Attributes) {
  const TAttribute* Media = Attributes.Find(symMedia);
  if (!Media || Media->StrValue.find_first_not_of(" \t\r\n") == std::string::npos) return true;
  const std::string List = Lower(Media->StrValue);
  auto IsNameChar = [](char C) { return std::isalnum(static_cast<unsigned char>(C)) || C == '-'; };
  size_t P = 0;
  while (P < List.size()) {
    const size_t End = std::min(List.find(',', P), List.size());
    std::string_view Entry(List.data() + P, End - P);
    P = End + 1;
    bool Not = false;
    for (int Word = 0; Word < 2; ++Word) {
      const size_t Start = Entry.find_first_not_of(" \t\r\n");
      if (Start == std::string_view::npos) break;
      Entry.remove_prefix(Start);
      if (Word == 0 && Entry[0] == '(') return true;
      size_t Length = 0;
      while (Length < Entry.size() && IsNameChar(Entry[Length])) ++Length;
      const std::string_view Type = Entry.substr(0, Length);
      if (Type.empty()) break;
      const bool Screen = Type == "screen" || Type == "all";
      if (Word == 1 && Not) {
        if (!Screen) return true;
        break;
      }
      if (Screen) return true;
      Not = Type == "not";
      if (Type != "only" && !Not) break;
      Entry.remove_prefix(Length);
    }
  }
  return false;
}

std::string DirectoryOf(const std::string& Path) {
  const size_t P = Path.find_last_of("/\\");
  return P == std::string::npos ? std::string() : Path.substr(0, P + 1);
}

// A style sheet file by its address, as the host gives it (or from the disk): its text
// and the base for the addresses in it. False when it cannot be had.
bool LoadSheet(const TBuildHandlers* H, const std::string& Href, std::string& Sheet,
               std::string& BasePath) {
  try {
    Sheet.clear();
    BasePath.clear();
    if (H && H->OnhtStreamRequest) {
      std::string Url = Href;
      if (H->OnExpandUrl) {
        Url = H->OnExpandUrl(Href);
        BasePath = DirectoryOf(Url);
      }
      TMemoryStream* Stream = nullptr;
      H->OnhtStreamRequest(H->Sender, Url, Stream);
      if (Stream) Sheet = std::string(Stream->View());
    } else {
      const std::string File = H && H->ExpandFileName ? H->ExpandFileName(Href) : Href;
      BasePath = DirectoryOf(File);
      TMemoryStream Stream;
      Stream.LoadFromFile(File);
      Sheet = std::string(Stream.View());
    }
    return !Sheet.empty();
  } catch (const std::exception&) {
    return false;
  }
}

TCssImporter SheetImporter(const TBuildHandlers* H) {
  return [H](const std::string& Address, std::string& Sheet, std::string& BasePath) {
    return LoadSheet(H, Address, Sheet, BasePath);
  };
}

}  // namespace

void TBuilder::ParseStyle() {
  // The character that stops the sheet, normally the "<" of the end tag, becomes current.
  char Stop = Lex.CurCh;
  if (!ForScreen(Lex.CurAttributes)) {
    Stop = SkipStyleContent();
  } else if (Stop != '<') {
    // An empty element has no sheet; the parser would take the end tag's "<" as its start.
    ParseStyleSheet(*Doc->StyleSheet, Lex.CharSource(), Stop, "",
                    [this] { return Lex.MayStartEndTag("STYLE"); }, SheetImporter(H));
  }
  Lex.CurCh = Stop;
  Lex.CurUpCh = static_cast<char>(std::toupper(static_cast<unsigned char>(Stop)));
  Next();
}

// Reads a sheet that is not for the screen up to the "<" of the element's end tag, or to the
// end of the input, and returns that character.
char TBuilder::SkipStyleContent() {
  const auto Read = Lex.CharSource();
  char C = Lex.CurCh;
  while (C != EndOfInput && !(C == '<' && Lex.MayStartEndTag("STYLE"))) C = Read();
  return C;
}

// ---- head elements ---------------------------------------------------------------

void TBuilder::ParseTitle() {
  Result.DocTitle.clear();
  Next();
  while (Sym() == symText) {
    Result.DocTitle += Lex.CurToken.Text();
    Next();
  }
}

void TBuilder::ParseBase() {
  for (const TAttribute& A : Lex.CurAttributes) {
    if (A.Sym == symHref) Result.BaseHref = A.StrValue;
    else if (A.Sym == symTarget) Result.BaseFrameTarget = A.StrValue;
  }
  Next();
}

void TBuilder::ParseMeta() {
  std::string HttpEq, Name, Content;
  const TAttribute* CharsetAttr = nullptr;
  for (const TAttribute& A : Lex.CurAttributes) {
    if (A.Sym == symHttpEq) HttpEq = A.StrValue;
    else if (A.Sym == symName) Name = A.StrValue;
    else if (A.Sym == symContent) Content = A.StrValue;
    else if (A.Sym == symCharset && !CharsetAttr) CharsetAttr = &A;
  }
  // A content type names the character set, or a CHARSET attribute does on its own. Text
  // converted from UTF-8 is in the set chosen for it, whatever the document declares.
  std::string_view Declared;
  if (Lower(HttpEq) == "content-type") Declared = Content;
  else if (CharsetAttr) Declared = CharsetAttr->StrValue;
  uint8_t Charset = 0;
  if (H && H->Sender && !CharsetGiven && !Declared.empty() &&
      Lex.CharsetFromName(Declared, Charset))
    Top().ApplyCharSet(Charset);
  if (H && H->OnMeta) H->OnMeta(H->Sender, HttpEq, Name, Content);
  Next();
}

void TBuilder::ParseLinkTag() {
  std::string Href, Rel, Rev;
  for (const TAttribute& A : Lex.CurAttributes) {
    if (A.Sym == symHref) Href = A.StrValue;
    else if (A.Sym == symRel) Rel = A.StrValue;
    else if (A.Sym == symRev) Rev = A.StrValue;
  }
  if (Lower(Rel) == "stylesheet" && !Href.empty() && ForScreen(Lex.CurAttributes)) {
    // A sheet that cannot be had is left out.
    if (std::string Sheet, BasePath; LoadSheet(H, Href, Sheet, BasePath))
      ParseLinkedStyleSheet(*Doc->StyleSheet, Sheet, BasePath, SheetImporter(H));
  }
  if (H && H->OnLink) H->OnLink(H->Sender, Rel, Rev, Href);
  Next();
}

void TBuilder::ParseSound() {
  if (H && H->OnSoundRequest) {
    if (const TAttribute* Src = Lex.CurAttributes.Find(symSrc)) {
      const TAttribute* Loop = Lex.CurAttributes.Find(symLoop);
      H->OnSoundRequest(H->Sender, Src->StrValue, Loop ? Loop->NumValue : 1, false);
    }
  }
  Next();
}

}  // namespace builder_internal
