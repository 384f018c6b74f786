#include "reader/attributes.h"

#include "style/css_parser.h"
#include "style/properties.h"

namespace {

std::string LowerCase(std::string_view S) {
  std::string R(S);
  for (char& C : R)
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
  return R;
}

}  // namespace

TAttributeList::TAttributeList() = default;
TAttributeList::~TAttributeList() = default;

TAttributeList::TAttributeList(const TAttributeList& Other)
    : FItems(Other.begin(), Other.end()), FCount(Other.FCount), FSavedID(Other.FSavedID) {}

TAttributeList& TAttributeList::operator=(const TAttributeList& Other) {
  if (this != &Other) {
    Clear();
    for (const TAttribute& A : Other) Add(A.Sym, A.StrValue, A.NumValue);
  }
  return *this;
}

void TAttributeList::Clear() {
  FCount = 0;
  FSavedID.clear();
}

TAttribute& TAttributeList::Add(TSymbol Sym, int NumValue) {
  if (FCount == static_cast<int>(FItems.size())) FItems.emplace_back();
  TAttribute& A = FItems[FCount++];
  A.Sym = Sym;
  A.NumValue = NumValue;
  A.StrValue.clear();
  return A;
}

void TAttributeList::Add(TSymbol Sym, std::string_view StrValue, int NumValue) {
  Add(Sym, NumValue).StrValue.assign(StrValue);
}

const TAttribute* TAttributeList::Find(TSymbol Sym) const {
  for (const TAttribute& A : *this)
    if (A.Sym == Sym) return &A;
  return nullptr;
}

std::string TAttributeList::ClassValue(bool keepCase) const {
  const TAttribute* A = Find(symClass);
  if (!A) return std::string();
  return keepCase ? A->StrValue : LowerCase(A->StrValue);
}

const std::string& TAttributeList::IDValue(bool keepCase) {
  if (FSavedID.empty()) {
    if (const TAttribute* A = Find(symId)) FSavedID = keepCase ? A->StrValue : LowerCase(A->StrValue);
  }
  return FSavedID;
}

std::string TAttributeList::TitleValue() const {
  const TAttribute* A = Find(symTitle);
  return A ? A->StrValue : std::string();
}

TProperties* TAttributeList::StyleProps() {
  const TAttribute* A = Find(symStyle);
  if (!A) return nullptr;
  FStyleProps = std::make_unique<TProperties>();
  ParseStyleAttribute(A->StrValue, *FStyleProps);
  return FStyleProps.get();
}
