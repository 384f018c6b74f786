// Arbitrary bytes through the whole load path of a viewer in a headless window: loaded from
// a buffer or from a file, laid out at a width the input picks, painted, scrolled to the end
// and painted again, laid out at a second width, selected and copied.
//
// The first byte picks the mode: bit 0 loads through a file instead of the buffer, bits 1-7
// give the first width in steps of 4 pixels. The rest is the document.
//
// Windows stay small (at most 524 by 160 pixels): every paint fills and copies the whole
// panel, which at full size cost more than parsing and layout together. The layout target
// covers the wide widths.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/classes.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

const std::string& ScratchFile() {
  static const std::string Name = "/tmp/qjx_fuzz_load_" + std::to_string(getpid()) + ".html";
  return Name;
}

void Paint(THTMLViewer& Viewer) {
  HWND Panel = Viewer.PaintPanel()->Handle();
  InvalidateRect(Panel, nullptr);
  UpdateWindow(Panel);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const bool FromFile = Data[0] & 1;
  const int Width = 16 + (Data[0] >> 1) * 4;
  constexpr int Height = 160;
  const char* Doc = reinterpret_cast<const char*>(Data + 1);
  const int DocSize = static_cast<int>(Size - 1);

  TCreateParams Params;
  Params.Width = Width;
  Params.Height = Height;
  Params.Style = WS_VISIBLE;
  Params.Proc = &DefWindowProc;
  HWND Host = CreateWindow(Params);
  {
    THTMLViewer Viewer(nullptr, Host, 0, 0, Width, Height);
    try {
      if (FromFile) {
        if (FILE* F = std::fopen(ScratchFile().c_str(), "wb")) {
          std::fwrite(Doc, 1, size_t(DocSize), F);
          std::fclose(F);
        }
        Viewer.LoadFromFile(ScratchFile());
      } else {
        Viewer.LoadFromBuffer(Doc, DocSize);
      }
      Paint(Viewer);
      Viewer.ScrollTo(Viewer.MaxVertical());
      Paint(Viewer);
      Viewer.SetBounds(0, 0, Width > 260 ? 120 : 500, Height);
      Viewer.Reformat();
      Paint(Viewer);
      Viewer.SelectAll();
      Viewer.CopyToClipboard();
    } catch (const Exception&) {
      // A load may fail with the library's own errors; anything else escapes and is a finding.
    }
  }
  DestroyWindow(Host);
  ProcessMessages();
  return 0;
}
