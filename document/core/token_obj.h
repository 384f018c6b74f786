// The builder's text buffer: characters with the source offset each came from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TokenObj {
 public:
  TokenObj();

  // Adds one character; both arrays grow by 50 entries when full.
  void Append(char Ch, int SourceIndex);
  void Clear();
  // Adds every character of Other.
  void AppendToken(const TokenObj& Other);
  // Replaces the character at 1-based Pos; positions outside 1..FCount are ignored.
  void ReplaceChar(int Pos, char Ch);
  const std::string& AsString();

  int Count() const { return FCount; }
  const char* Chars() const { return FCharBuf.data(); }
  const int* Indexes() const { return FIndexes.data(); }
  int Capacity() const { return FCapacity; }

 private:
  void Grow(int NewCapacity);

  std::vector<char> FCharBuf;
  std::vector<int32_t> FIndexes;
  int FCapacity = 0;
  int FCount = 0;
  std::string FText;
  bool FTextValid = true;
};
