#include "document/core/outline_colours.h"

#include "document/core/paint_context.h"
#include "document/core/section_list.h"
#include "style/units.h"
#include "toolkit/graphics/screen.h"
#include "toolkit/windows/messages.h"
#include "toolkit/windows/window_metrics.h"

namespace {

constexpr TColor Silver = 0xC0C0C0;

}  // namespace

TOutlineColours OutlineColours(const TCanvas& Canvas, const TPaintContext& Context,
                               const TSectionList* Document, TColor Light, bool LightGiven,
                               TColor Dark) {
  if (!LightGiven) {
    const bool whitePage =
        Document && (ColorToRGB(Document->PageColor & ~PaletteRelativeFlag) & 0xFFFFFF) == 0xFFFFFF;
    if (Context.ForPrinter || whitePage) Light = Silver;
  }
  if (Context.ForPrinter && Context.PrintMonoBlack && Canvas.IsMonochrome()) Light = Dark = clBlack;
  return {Light, Dark};
}

TOutlineColours DefaultOutlineColours(const TCanvas& Canvas, const TPaintContext& Context,
                                      const TSectionList* Document) {
  return OutlineColours(Canvas, Context, Document, GetSysColor(COLOR_BTNHIGHLIGHT), false,
                        GetSysColor(COLOR_BTNSHADOW));
}
