// The kinds that computed style hands to layout: floating, clearing, positioning, vertical
// alignment and visibility. One byte each: the document keeps them per block and section.
#pragma once

#include <cstdint>

enum class TFloatSide : uint8_t { None, Left, Right };

enum class TClearSides : uint8_t { None, Left, Right, Both };

// A fixed box is laid out as an absolute one.
enum class TPositionKind : uint8_t { Static, Absolute, Relative };

// "text-top" counts as Top.
enum class TVerticalAlign : uint8_t { Top, Middle, Baseline, Bottom };

enum class TVisibility : uint8_t { Visible, Hidden };
