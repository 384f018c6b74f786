// The box of an inline element (a span with a border, a code with a background): its
// horizontal margins, borders and padding take room in the line where the element starts
// and ends, and its background and borders are painted behind the text of every line it
// spans, around the content area of its font.
#pragma once

#include <array>
#include <cstdint>

#include "style/properties.h"
#include "toolkit/graphics/graphics.h"

enum class TInlineBorder : uint8_t { None, Solid, Dashed, Dotted, Double, Groove, Ridge, Inset, Outset };

struct TInlineBox {
  // Text positions: the first character inside the element and the first after it (-1
  // while the element is open).
  int Start = 0;
  int End = -1;
  // Sides in the order top, right, bottom, left; lengths in pixels.
  std::array<int16_t, 4> Border{};
  std::array<int16_t, 4> Padding{};
  std::array<TInlineBorder, 4> Style{};
  std::array<TColor, 4> BorderColor{};
  int16_t MarginLeft = 0;
  int16_t MarginRight = 0;
  // The content area above and below the baseline: the element font's ascent and descent.
  int16_t Ascent = 0;
  int16_t Descent = 0;
  TColor Background = NoColour;

  // Room taken before the first character and after the last.
  int LeftWidth() const { return MarginLeft + Border[3] + Padding[3]; }
  int RightWidth() const { return Padding[1] + Border[1] + MarginRight; }
  // Paints the part of the box on one line: from Left to Right (the border box, or an
  // edge of the line where the element goes on), around the baseline BaseY. Only the
  // line where the element starts has its left side, only the one where it ends the right.
  void Paint(TCanvas* Canvas, int Left, int Right, int BaseY, bool HasLeft, bool HasRight,
             bool Colours) const;
};

// Lengths beyond this are taken as this: a line is not wider than a screen many times over.
constexpr int MaxInlineBoxLength = 10000;

// The box of an element from its properties; false when it has no margin, border or
// padding at its sides (a background alone is painted with the text, as before).
bool InlineBoxFrom(const TProperties& Props, TInlineBox& Box);
