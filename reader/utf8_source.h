// Documents written in UTF-8. The reader works in 8-bit and double-byte code pages, so a
// UTF-8 document is converted before it is read into the character set that holds its
// characters best: Western first, then the other European and Middle-Eastern pages, then
// Japanese, Chinese and Korean.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 when the text starts with a byte-order mark, when it declares UTF-8 (a charset or
// encoding near its start), or when it declares no charset at all and is valid UTF-8 with
// at least one character beyond ASCII. A document declaring another charset stays as it is.
bool IsUtf8Document(std::string_view Text, bool Html);

struct TUtf8Conversion {
  bool Converted = false;
  uint8_t Charset = 0;  // the character set the text was converted into
  std::string Text;
};

// The converted document when IsUtf8Document holds; Converted false otherwise. Characters
// no candidate page holds become "?"; malformed sequences are read as Windows-1252 bytes.
TUtf8Conversion ConvertUtf8Document(std::string_view Text, bool Html);
