// The classic desktop settings: grey 3-D faces, white windows, navy highlight.
#include "toolkit/windows/window_metrics.h"

#include "toolkit/windows/window_backend.h"

namespace {

const TColor kSysColors[] = {
    RGBColor(212, 208, 200),  // COLOR_SCROLLBAR
    RGBColor(58, 110, 165),   // COLOR_BACKGROUND
    RGBColor(10, 36, 106),    // COLOR_ACTIVECAPTION
    RGBColor(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGBColor(212, 208, 200),  // COLOR_MENU
    RGBColor(255, 255, 255),  // COLOR_WINDOW
    RGBColor(0, 0, 0),        // COLOR_WINDOWFRAME
    RGBColor(0, 0, 0),        // COLOR_MENUTEXT
    RGBColor(0, 0, 0),        // COLOR_WINDOWTEXT
    RGBColor(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGBColor(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGBColor(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGBColor(128, 128, 128),  // COLOR_APPWORKSPACE
    RGBColor(10, 36, 106),    // COLOR_HIGHLIGHT
    RGBColor(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGBColor(212, 208, 200),  // COLOR_BTNFACE
    RGBColor(128, 128, 128),  // COLOR_BTNSHADOW
    RGBColor(128, 128, 128),  // COLOR_GRAYTEXT
    RGBColor(0, 0, 0),        // COLOR_BTNTEXT
    RGBColor(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
    RGBColor(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGBColor(64, 64, 64),     // COLOR_3DDKSHADOW
    RGBColor(212, 208, 200),  // COLOR_3DLIGHT
    RGBColor(0, 0, 0),        // COLOR_INFOTEXT
    RGBColor(255, 255, 225),  // COLOR_INFOBK
    RGBColor(181, 181, 181),  // 25, unused
    RGBColor(0, 0, 128),      // COLOR_HOTLIGHT
    RGBColor(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGBColor(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
    RGBColor(10, 36, 106),    // COLOR_MENUHILIGHT
    RGBColor(212, 208, 200),  // COLOR_MENUBAR
};

int gWheelLines = 3;

}  // namespace

TColor GetSysColor(int index) {
  if (index < 0 || index >= int(sizeof(kSysColors) / sizeof(kSysColors[0]))) return clBlack;
  return kSysColors[index];
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return GetScreenSize().cx;
    case SM_CYSCREEN: return GetScreenSize().cy;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 16;
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_MOUSEWHEELPRESENT: return 1;
    default: return 0;
  }
}

int GetWheelScrollLines() { return gWheelLines; }
void SetWheelScrollLines(int lines) { gWheelLines = lines; }
unsigned GetDoubleClickTime() { return 500; }
TSize GetScreenSize() { return WindowBackend().ScreenSize(); }
int GetScreenPixelsPerInch() { return WindowBackend().PixelsPerInch(); }
