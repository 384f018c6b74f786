// The scroll-bar control: a window of class "ScrollBar" with a 32-bit range, page and
// position. Clicks and drags send WM_VSCROLL (vertical bars) or WM_HSCROLL to the
// parent with wParam = MAKEWPARAM(code, 16-bit position) and lParam = the bar; the full
// 32-bit track position is in GetScrollInfo's nTrackPos. The bar never moves by itself
// on line and page codes: the parent answers with SetScrollInfo.
//
// Pressing an arrow or the track sends its code at once and repeats it every 50 ms after
// a 200 ms delay while the button stays down over it; a drag of the thumb sends
// SB_THUMBTRACK on every move; releasing sends SB_THUMBPOSITION (after a drag) and
// SB_ENDSCROLL. Keys on a focused bar: arrows, Page Up/Down, Home and End.
#pragma once

#include "toolkit/windows/messages.h"

extern const char* const kScrollBarClass;

// Creates a bar; style SBS_VERT makes it vertical. A null parent is refused.
HWND CreateScrollBar(HWND parent, bool vertical, int x, int y, int width, int height,
                     int id = 0, uint32_t style = WS_CHILD | WS_VISIBLE);

// bar must be SB_CTL (hwnd is the bar); SB_HORZ and SB_VERT address the window's own
// bars, which do not exist here, and do nothing. Returns the new position.
// The range falls back to 0..0 when nMin > nMax or the span needs more than 31 bits;
// the page is cut to the span; the position is clamped to nMin..nMax - max(page-1, 0).
// With SIF_DISABLENOSCROLL a bar whose page covers the range gets disabled arrows
// instead of staying active; any other change of range or position enables it again.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, bool redraw = true);
bool GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
int SetScrollPos(HWND hwnd, int bar, int pos, bool redraw = true);
int GetScrollPos(HWND hwnd, int bar);
bool SetScrollRange(HWND hwnd, int bar, int min, int max, bool redraw = true);
bool GetScrollRange(HWND hwnd, int bar, int* min, int* max);
// ESB_DISABLE_BOTH greys both arrows and ignores clicks; ESB_ENABLE_BOTH undoes it.
bool EnableScrollBar(HWND hwnd, int bar, unsigned arrows);
// Whether the arrows are disabled (by EnableScrollBar or SIF_DISABLENOSCROLL).
bool ScrollBarArrowsDisabled(HWND hwnd);
