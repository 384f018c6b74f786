// Expansion of the CSS shorthand properties into the declarations they stand for.
#pragma once

#include <string>
#include <string_view>

// Receives the declarations of one parsed declaration.
class TCssDeclarationSink {
 public:
  virtual ~TCssDeclarationSink() = default;
  virtual void Declare(std::string_view name, std::string_view value) = 0;
  // The value with its "url(" address resolved; unchanged where there is no base.
  virtual std::string ResolveValue(std::string_view value) { return std::string(value); }
};

// True for the shorthand names ("margin", "border-top", "font", ...).
bool IsShorthand(std::string_view name);
// Expands a shorthand into sink; value is trimmed and lower case.
void ExpandShorthand(std::string_view name, std::string_view value, TCssDeclarationSink& sink);
