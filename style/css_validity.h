// Whether a declaration's value is one CSS allows for its property. A value that is not
// is dropped whole, so that an earlier declaration (or the initial value) holds.
#pragma once

#include <string_view>

// Checks the properties whose values are keywords and lengths that a browser reads
// strictly; any other property passes.
bool AllowedValue(std::string_view name, std::string_view value);

// A length: a number with a unit (px, pt, pc, in, cm, mm, em, ex), or a bare zero.
bool IsLength(std::string_view word);
