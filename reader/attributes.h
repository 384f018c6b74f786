// The attributes of the tag the lexer has just read.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/classes.h"
#include "reader/symbols.h"

class TProperties;

class TAttribute : public TObject {
 public:
  TAttribute() = default;
  TAttribute(TSymbol ASym, std::string AStrValue, int ANumValue)
      : Sym(ASym), NumValue(ANumValue), StrValue(std::move(AStrValue)) {}

  TSymbol Sym = symOtherAttr;
  int NumValue = 0;
  std::string StrValue;
};

// Attributes in source order. Clearing keeps the storage of the attribute objects, so reading
// tag after tag allocates nothing once the longest values have been seen.
class TAttributeList {
 public:
  TAttributeList();
  ~TAttributeList();
  // Copies the attributes, not the cached style property set.
  TAttributeList(const TAttributeList& Other);
  TAttributeList& operator=(const TAttributeList& Other);

  void Clear();
  // Appends an attribute with an empty value text, to be filled by the caller.
  TAttribute& Add(TSymbol Sym, int NumValue);
  void Add(TSymbol Sym, std::string_view StrValue, int NumValue);

  int Count() const { return FCount; }
  const TAttribute& operator[](int Index) const { return FItems[Index]; }
  const TAttribute* begin() const { return FItems.data(); }
  const TAttribute* end() const { return FItems.data() + FCount; }

  // The first attribute with the symbol, or null.
  const TAttribute* Find(TSymbol Sym) const;
  // "CLASS" lower-cased, "ID" lower-cased (cached until Clear), "TITLE" as read; empty when
  // absent. With keepCase the class and id stay as written (a standards document).
  std::string ClassValue(bool keepCase = false) const;
  const std::string& IDValue(bool keepCase = false);
  std::string TitleValue() const;
  // The property set of the "STYLE" attribute, built anew on each call by the CSS parser and
  // owned by the list until the next call; null without a "STYLE" attribute.
  TProperties* StyleProps();

 private:
  std::vector<TAttribute> FItems;  // the first FCount are in use; the rest are spare storage
  int FCount = 0;
  std::string FSavedID;
  std::unique_ptr<TProperties> FStyleProps;
};
