// Arbitrary bytes read as a document and laid out, without a viewer or a window: the fast
// half of the load target, so that many more documents are tried per second. The load
// target keeps the viewer, painting, scrolling and selection.
//
// The first byte gives the first width in steps of 8 pixels (bits 1-7, as for the load
// target, so that both share their seeds). The rest is the document.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/core/section_list.h"
#include "reader/builder.h"
#include "toolkit/graphics/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const int Width = 16 + (Data[0] >> 1) * 8;
  const std::string_view Text(reinterpret_cast<const char*>(Data + 1), Size - 1);
  static TBitmap Bitmap(256, 128);
  TCanvas& Canvas = Bitmap.Canvas();
  try {
    TSectionList Doc(nullptr, nullptr);
    Doc.ApplyDefaults("Arial", "Courier New", 10, 5, 0, true, true, clWhite, 0xFF, 0x800080,
                      0xFF0000, 0, 12);
    TBuildHandlers Handlers;
    ParseHtmlDocument(Text, &Doc, Handlers);
    int ScrollWidth = 0, Cursor = 0;
    const int Height = Doc.LayoutCell(&Canvas, 0, Width, 240, ScrollWidth, Cursor);
    // A small band at the end of the document: drawing walks what layout placed.
    TPaintContext Pass;
    Pass.Band = TRect{0, 0, 256, 128};
    Pass.ScrollY = Height > 128 ? Height - 128 : 0;
    Doc.ViewScrolled();
    Doc.Draw(&Canvas, Pass, 6000, 0, 0, 0, 0);
    Doc.LayoutCell(&Canvas, 0, Width > 400 ? 120 : 700, 240, ScrollWidth, Cursor);
  } catch (const Exception&) {
    // The library's own errors end a load; anything else escapes and is a finding.
  }
  return 0;
}
