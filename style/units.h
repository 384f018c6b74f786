// CSS lengths and font sizes, the value markers shared with layout, and the
// document-wide size settings (screen resolution, default point size, the HTML
// font size scales).
#pragma once

#include <string_view>

#include "common/types.h"

// Integer markers stored in property slots and box arrays.
constexpr int NoValue = -12345678;
constexpr int AutoValue = -12348765;
// Default paragraph spacing: converts to 14 pixels and flags the margin as "auto".
constexpr int ParagraphDefault = -12348766;
constexpr TColor NoColour = 0x1FFFFFFF;
// Marks a palette-relative colour: added to colours a document gives as hexadecimal, rgb()
// text or attribute values, and to the page colour the viewer paints.
constexpr TColor PaletteRelativeFlag = 0x02000000;

// Round to nearest, ties to even, clamped to the int range (NaN gives 0).
int RoundToInt(double value);

// Reads a decimal number (optional sign, digits, optional fraction) at the start of
// text. The number stops at the first character that cannot continue it, so "1.5em"
// reads 1.5 and leaves "em". No digits: value 0 and rest is the whole text.
// Returns whether digits were found.
bool ReadLeadingNumber(std::string_view text, double& value, std::string_view& rest);

// Screen resolution used by every unit conversion (96 until the viewer says otherwise).
int ScreenPixelsPerInch();
void SetScreenPixelsPerInch(int ppi);

// The document default point size (set by TStyleList::BuildDefaults) and the HTML
// font size scales derived from it.
int DocumentPointSize();
void SetDocumentPointSize(int pointSize);
// Points for an HTML font size 1..7 (clamped), from the normal or the preformatted scale.
double HtmlFontSizeToPoints(int htmlSize, bool preformatted);

// Lengths beyond this many pixels either way are held at it: far past any page's need,
// and small enough that the margins, borders and paddings of every nested box add up
// without overflow.
constexpr int MaxLengthPixels = 1 << 18;

// A CSS length in pixels, within MaxLengthPixels either way. Units are case-sensitive; a
// plain number is pixels, or a multiple of Base when Relative; an unknown unit gives
// Default.
int LengthToPixels(std::string_view text, bool relative, int base, int emPixels, int exPixels,
                   int defaultValue);

// A CSS font size in points (not rounded); anything unreadable gives the document
// default size. "ex" is the parent font's x-height, half its size when not given.
double SizeToPoints(std::string_view text, double parentSize, double parentExPoints = 0);
