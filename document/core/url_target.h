// A link found by a hit test: its URL, target frame and link id.
#pragma once

#include <string>

#include "common/classes.h"

class TUrlTarget : public TObject {
 public:
  std::string URL;
  std::string Target;
  int ID = 0;

  // Stores both strings and takes the next link id; ids are unique across the library.
  void Assign(const std::string& AURL, const std::string& ATarget);
  void Copy(const TUrlTarget& Other);
  void Clear();
  bool IsEmpty() const { return URL.empty() && Target.empty() && ID == 0; }
};
