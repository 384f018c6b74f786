#include "document/core/token_obj.h"

namespace {
constexpr int InitialCapacity = 300;
constexpr int GrowStep = 50;
}  // namespace

TokenObj::TokenObj() { Grow(InitialCapacity); }

void TokenObj::Grow(int NewCapacity) {
  FCharBuf.resize(NewCapacity);
  FIndexes.resize(NewCapacity);
  FCapacity = NewCapacity;
}

void TokenObj::Append(char Ch, int SourceIndex) {
  if (FCount >= FCapacity) Grow(FCapacity + GrowStep);
  FCharBuf[FCount] = Ch;
  FIndexes[FCount] = SourceIndex;
  ++FCount;
  FTextValid = false;
}

void TokenObj::Clear() {
  FCount = 0;
  FText.clear();
  FTextValid = true;
}

void TokenObj::AppendToken(const TokenObj& Other) {
  if (Other.FCount == 0) return;
  const int NewCount = FCount + Other.FCount;
  if (NewCount > FCapacity) Grow(NewCount + GrowStep);
  for (int I = 0; I < Other.FCount; ++I) {
    FCharBuf[FCount + I] = Other.FCharBuf[I];
    FIndexes[FCount + I] = Other.FIndexes[I];
  }
  FCount = NewCount;
  FTextValid = false;
}

void TokenObj::ReplaceChar(int Pos, char Ch) {
  if (Pos < 1 || Pos > FCount) return;
  FCharBuf[Pos - 1] = Ch;
  if (FTextValid) FText[Pos - 1] = Ch;
}

const std::string& TokenObj::AsString() {
  if (!FTextValid) {
    FText.assign(FCharBuf.data(), FCount);
    FTextValid = true;
  }
  return FText;
}
