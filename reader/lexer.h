// The HTML lexer: reads the document one character at a time, normalises line ends and tabs,
// hides comments, declarations and processing instructions, splices in text from include
// comments, decodes character references, and cuts the text into symbols (tags with their
// attributes, text runs, single control characters, the end of the input).
//
// One parse runs at a time in the whole library; its state lives in one TLexer, owned by the
// builder for the duration of the parse. The builder drives it like this:
//
//   Lexer.Start(Source);                 // if Lexer.JapaneseConverted: base charset 128
//   Lexer.NextChar();
//   Lexer.NextSymbol();
//   while (Lexer.CurSym != symEof) { ...use CurSym, CurAttributes, CurToken...; Lexer.NextSymbol(); }
//
// Raw content (preformatted text, TEXTAREA, SCRIPT) is read with CurCh, NextChar and
// SkipBlanks, and a STYLE element's sheet through CharSource().
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/classes.h"
#include "reader/attributes.h"
#include "reader/symbols.h"
#include "style/css_parser.h"

// What the lexer hands on for a line end (CR, LF, CR LF or LF CR); at the end of the input it
// hands on EndOfInput, as a style sheet's source does.
constexpr char LineEndChar = 13;

class EParseError : public Exception {
 public:
  using Exception::Exception;
};

// Characters of one symbol, each with the 0-based source offset it came from. The builder
// copies them, with their offsets, into a text section's token buffer.
class TLexToken {
 public:
  TLexToken();
  TLexToken(const TLexToken&) = delete;
  TLexToken& operator=(const TLexToken&) = delete;

  void Clear() { FCount = 0; }
  void Append(char Ch, int SourceIndex) {
    if (FCount == FCapacity) Grow(FCount + 1);
    FChars[FCount] = Ch;
    FIndexes[FCount] = SourceIndex;
    ++FCount;
  }
  void AppendToken(const TLexToken& Other);
  // N characters copied from Src, the first at FirstIndex and each next one Step further.
  // Readable tells how many bytes at Src may be read (N or more): with seven more the bytes
  // are copied eight at a time.
  void AppendRun(const char* Src, int N, int FirstIndex, int Step, int64_t Readable);

  int Count() const { return FCount; }
  std::string_view Text() const { return {FChars.get(), static_cast<size_t>(FCount)}; }
  std::string AsString() const { return std::string(Text()); }
  char Chars(int Index) const { return FChars[Index]; }
  int Indexes(int Index) const { return FIndexes[Index]; }
  const int* IndexData() const { return FIndexes.get(); }

 private:
  void Grow(int Needed);
  std::unique_ptr<char[]> FChars;
  std::unique_ptr<int[]> FIndexes;
  int FCount = 0;
  int FCapacity = 0;
};

// The include handler: the command name of a "<!--#name param=value ...-->" comment and its
// parameters ("name=value" each, given to the handler); it may answer with text to read in
// place of the comment by setting Buffer and a positive BuffSize. The lexer copies the text,
// so the buffer need only live until the handler returns.
using TIncludeEvent = std::function<void(const std::string& Command,
                                         std::unique_ptr<TStringList> Params,
                                         const char*& Buffer, int& BuffSize)>;

class TLexer {
 public:
  TLexer();

  // Begins a parse of Source, which must stay alive and unchanged until the parse ends (the
  // lexer copies it only to convert Japanese input). Resets every piece of reader state; an
  // ISO-2022-JP document is converted here and sets JapaneseConverted.
  void Start(std::string_view Source);
  // Drops the document and any converted copy.
  void Finish();
  // The document as read (after any Japanese conversion).
  std::string_view DocText() const { return {FDocBegin, static_cast<size_t>(FDocEnd - FDocBegin)}; }

  // Next character with line ends turned into one LineEndChar and tabs into spaces;
  // EndOfInput at the end.
  char ReadChar();
  // ReadChar, but a "<!" or "<?" (unless TagsOff) starts a comment, declaration, processing
  // instruction or include that is consumed whole; the character after it becomes current.
  char NextChar();
  // NextChar while the current character is a space or a line end.
  void SkipBlanks();
  // Decodes the reference at the current "&" into Out, as in text.
  void DecodeTextEntity(TLexToken& Out) { DecodeEntity(Out, false); }
  // Clears CurToken and reads the next symbol, leaving the character after it current.
  void NextSymbol();

  // The character source for the CSS parser: each call is one ReadChar, so it returns the
  // next normalised character (line ends as LineEndChar, tabs as spaces) and EndOfInput at
  // the end, and the character's source offset is SourcePos afterwards. It does not stop by
  // itself; the CSS parser stops at the "<" of the end tag, which stays current for the next
  // NextSymbol.
  std::function<char()> CharSource() {
    return [this] { return ReadChar(); };
  }

  // True when the current "<" starts a tag named UpperName (upper case): the name is
  // followed by a non-letter. False when the bytes to tell are not yet in reach.
  bool AtStartTag(std::string_view UpperName) const;
  // For a "<" just read: false when the bytes after it are known not to be the end tag
  // of UpperName (upper case), true when they are or cannot be told.
  bool MayStartEndTag(std::string_view UpperName) const;

  // Looks a charset name up in the charset table; a name meaning EUC-JP converts the
  // document to Shift_JIS in place (once per parse) and gives 128.
  bool CharsetFromName(std::string_view Name, uint8_t& Charset);

  // Reader state, read (and partly set) by the builder.
  TSymbol CurSym = symNone;
  char CurCh = EndOfInput;
  char CurUpCh = EndOfInput;  // CurCh with ASCII a to z in upper case
  int SourcePos = -1;    // offset of CurCh; included text keeps the offset of its comment's end
  int TagStart = -1;     // offset of the "<" of the current tag
  int HeadingLevel = 0;  // 1 to 6 after "H1" to "H6", else 0
  // What the last line end was, so that the other half of a CR LF or LF CR pair is skipped.
  enum class TLineEnd : uint8_t { None, AfterCR, AfterLF };
  TLineEnd LineEndState = TLineEnd::None;
  bool CommentOpen = false;
  bool TagsOff = false;  // "<!" is ordinary text (plain-text documents, script bodies)
  bool PreMode = false;  // text runs keep every space and line end
  // CurCh is a space that stood as a tab: preformatted text expands it to the next stop.
  bool CurFromTab = false;
  bool JapaneseConverted = false;
  TLexToken CurToken;
  TAttributeList CurAttributes;

  // Hooks handed down by the builder; any may be left empty.
  TIncludeEvent OnInclude;
  // Charset of the current property set: the code page of references decoded in text.
  std::function<uint8_t()> OnTextCharset;
  // An "ID" attribute with a value, and the offset at which it was read.
  std::function<void(const std::string& ID, int SourcePos)> OnIDFound;
  // Called every 4096 characters with (characters read x ProgressScale) / document length.
  std::function<void(int Progress)> OnProgress;
  // A "<!...>" declaration other than a comment, with its text after the "<!" (at most
  // MaxDeclarationText characters of it).
  std::function<void(std::string_view Text)> OnDeclaration;
  static constexpr size_t MaxDeclarationText = 512;
  int ProgressScale = 100;
  // Code page of references decoded inside attribute values.
  int SystemCodePage = 1252;
  // Text in UTF-8, whose characters beyond Latin take two bytes or three: a text symbol holds
  // twice the bytes it holds in an 8-bit page (a hundred characters there).
  void SetUtf8Text() { FMaxTextRun = 200; }

 private:
  char RawRead() {
    if (FPtr < FLimit) {
      SourcePos += FPosStep;
      return *FPtr++;
    }
    return RawReadSlow();
  }
  char RawReadSlow();
  char PeekRaw() const;
  // NextChar when the next byte needs none of its rules (a line end, a tab, a "<" that may
  // open a comment, the end of the input or a progress mark): most bytes of tags.
  void NextTagChar();
  void SkipTagBlanks();
  void SetDocLimit();
  char Advance() { return CommentOpen ? ReadChar() : NextChar(); }

  void SkipComment();
  void SkipDeclaration();
  void ReadInclude();
  void ReadTag();
  bool ReadAttribute();
  bool ReadTextRun();
  void DecodeEntity(TLexToken& Out, bool AttributeMode);
  int EncodeCode(int Code, bool Numeric, bool AttributeMode, char* Bytes);
  // The code page references are written in: the system's in attribute values, else the
  // current property set's.
  int TextCodePage(bool AttributeMode) const;
  void ConvertEucJp();

  const char* FDocBegin = nullptr;
  const char* FDocEnd = nullptr;
  const char* FPtr = nullptr;      // next raw byte of the current source
  const char* FLimit = nullptr;    // the fast path reads up to here
  const char* FSrcEnd = nullptr;   // end of the current source
  const char* FSavedPtr = nullptr; // document read position while an include is read
  int FPosStep = 1;                // 0 inside included text
  int FMaxTextRun = 100;           // bytes of a text symbol at most
  bool FInInclude = false;
  int64_t FNextMark = 4096;        // document offset of the next progress call
  std::string FOwnedDoc;           // the document after a Japanese conversion
  std::string FIncludeText;
  TLexToken FRaw;                  // raw characters of a reference being decoded
  TLexToken FEntityText;           // a reference decoded inside an attribute value
};
