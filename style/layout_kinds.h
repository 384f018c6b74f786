// The kinds that computed style hands to layout and to the text it builds: floating,
// clearing, positioning, vertical alignment, visibility, letter case and list markers. One
// byte each: the document keeps them per block and section.
#pragma once

#include <cstdint>

// Whether a background scrolls with its box (the default) or stays where the window is.
enum class TBackgroundAttachment : uint8_t { Unset, Scroll, Fixed };

enum class TFloatSide : uint8_t { None, Left, Right };

enum class TClearSides : uint8_t { None, Left, Right, Both };

// A fixed box is laid out as an absolute one.
enum class TPositionKind : uint8_t { Static, Absolute, Relative };

// Top and Bottom are the line box's; TextTop and TextBottom those of the parent's font.
enum class TVerticalAlign : uint8_t { Top, Middle, Baseline, Bottom, TextTop, TextBottom };

enum class TVisibility : uint8_t { Visible, Hidden };

// "text-transform"; Capitalize raises the first letter of every word.
enum class TTextTransform : int8_t { None, Upper, Lower, Capitalize };

// Marker styles, in the order of the list-style-type keywords.
enum class TMarkerStyle : uint8_t {
  Blank, Circle, Decimal, Disc, LowerAlpha, LowerRoman, None, Square, UpperAlpha, UpperRoman
};
