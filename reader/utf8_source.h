// Documents written in UTF-8. A UTF-8 document whose characters all fit one 8-bit or
// double-byte code page is converted into it before it is read, so that it shows as such a
// document always has (Western first, then the other European and Middle-Eastern pages,
// then Japanese, Chinese and Korean); any other stays in UTF-8 (UTF8_CHARSET). An 8-bit or
// double-byte document whose character references name characters beyond its page is
// moved to UTF-8 as a whole, so that those characters show.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 when the text starts with a byte-order mark, when it declares UTF-8 (a charset or
// encoding near its start), or when it declares no charset at all and is valid UTF-8 with
// at least one character beyond ASCII. A document declaring another charset stays as it is.
bool IsUtf8Document(std::string_view Text, bool Html);

// Whether Text is well-formed UTF-8 throughout.
bool IsWellFormedUtf8(std::string_view Text);

struct TUtf8Conversion {
  bool Converted = false;
  uint8_t Charset = 0;  // the character set the text was converted into
  std::string Text;     // the converted bytes, when they differ from the document's
  // When the document's own bytes stand as they are (well-formed UTF-8), how many of its
  // first bytes are dropped (a byte order mark); npos when Text holds the result.
  size_t Kept = std::string::npos;

  // The text to read: Text, or Document's own bytes after what is dropped.
  std::string_view Bytes(std::string_view Document) const {
    return Kept == std::string::npos ? std::string_view(Text) : Document.substr(Kept);
  }
};

// The converted document when IsUtf8Document holds; Converted false otherwise. Each maximal
// ill-formed subsequence becomes one U+FFFD (which only UTF-8 holds); a byte order mark is
// dropped.
TUtf8Conversion ConvertUtf8Document(std::string_view Text, bool Html);

// For a document that is not UTF-8, read in code page CodePage: the document in UTF-8 when
// a character reference in it names a character the page does not hold; Converted false
// otherwise.
TUtf8Conversion ConvertForReferences(std::string_view Text, int CodePage);

// The charset a document declares near its start ("charset=..." or "encoding=..."), empty
// when it declares none.
std::string DeclaredCharsetName(std::string_view Text);
