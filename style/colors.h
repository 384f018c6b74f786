// Colour text to TColor: the 141 colour names, #rgb and #rrggbb, rgb().
#pragma once

#include <string_view>

#include "common/types.h"

// Reads a colour. Names come from the table as they are; hexadecimal and rgb()
// colours carry PaletteRelativeFlag. Hexadecimal without "#" is accepted only when
// needPound is false. The last successful text is remembered process-wide, because
// a document tends to repeat the same colour.
bool ParseColor(std::string_view text, bool needPound, TColor& color);

// Looks a colour name up in the table (exact, lower case). "transparent" is NoColour.
bool ColorFromName(std::string_view name, TColor& color);
