// An element's name as a cell keeps it: one pointer to a name held once for the whole
// program, since a page names few elements and may have a million cells.
#pragma once

#include <string>
#include <string_view>

class TTagName {
 public:
  TTagName() = default;
  TTagName(std::string_view Name) { *this = Name; }  // NOLINT: reads as a string
  TTagName& operator=(std::string_view Name);
  TTagName& operator=(const std::string& Name) { return *this = std::string_view(Name); }
  TTagName& operator=(const char* Name) { return *this = std::string_view(Name); }

  const std::string& Str() const { return *FName; }
  operator const std::string&() const { return *FName; }  // NOLINT
  operator std::string_view() const { return *FName; }    // NOLINT
  bool empty() const { return FName->empty(); }
  friend bool operator==(const TTagName& A, std::string_view B) { return *A.FName == B; }

 private:
  static const std::string& Empty();
  const std::string* FName = &Empty();
};
