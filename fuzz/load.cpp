// Arbitrary bytes through the whole load path of a viewer in a headless window: loaded from
// a buffer or from a file, laid out at a width the input picks, a band painted, hit tests
// and a mouse selection at points the input picks, scrolled to the end and painted again,
// laid out at a second width and painted, selected and copied out.
//
// The first byte picks the mode: bit 0 loads through a file instead of the buffer, bits 1-7
// give the first width in steps of 4 pixels. The rest is the document.
//
// One host window and one viewer serve every input: making them, their scroll bars and
// fonts each time cost more than a short document. Each input ends by clearing the
// document, so that an input frees what it allocated and libFuzzer's leak check does not
// run every input twice. Only one band of the panel is painted: a paint allocates and
// fills a buffer of what it paints. The layout target covers the wide widths.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/classes.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

constexpr int Height = 100;
constexpr int BandHeight = 24;

const std::string& ScratchFile() {
  static const std::string Name = "/tmp/qjx_fuzz_load_" + std::to_string(getpid()) + ".html";
  return Name;
}

// Destroyed at exit before the window system goes (its statics were made before the
// handler was registered), so that the leak check at exit finds nothing.
THTMLViewer& Viewer() {
  static THTMLViewer* viewer = [] {
    TCreateParams params;
    params.Width = 540;
    params.Height = Height;
    params.Style = WS_VISIBLE;
    params.Proc = &DefWindowProc;
    HWND host = CreateWindow(params);
    auto* made = new THTMLViewer(nullptr, host, 0, 0, 200, Height);
    // Links are followed only inside the document: a file named by the input is not read.
    made->OnHotSpotClick = [made](TObject*, const std::string& SRC, bool& Handled) {
      Handled = true;
      if (!SRC.empty() && SRC[0] == '#') made->ScrollToAnchor(SRC.substr(1));
    };
    static HWND hostWindow = host;
    static THTMLViewer* toFree = made;
    std::atexit([] {
      delete toFree;
      DestroyWindow(hostWindow);
      ProcessMessages();
    });
    return made;
  }();
  return *viewer;
}

void PaintBand(THTMLViewer& View, int Top) {
  HWND panel = View.PaintPanel()->Handle();
  TRect band{0, Top, View.PaintPanel()->Width(), Top + BandHeight};
  InvalidateRect(panel, &band);
  UpdateWindow(panel);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QJX_BACKEND", "headless", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const bool FromFile = Data[0] & 1;
  const int Width = 16 + (Data[0] >> 1) * 4;
  const char* Doc = reinterpret_cast<const char*>(Data + 1);
  const int DocSize = static_cast<int>(Size - 1);
  // Points for the hit tests and the selection, from bytes of the document.
  const uint8_t A = Data[Size / 2], B = Data[Size / 3], C = Data[(2 * Size) / 3];
  const int X1 = A % Width, Y1 = B % Height, X2 = C % Width, Y2 = (A ^ C) % Height;

  THTMLViewer& View = Viewer();
  try {
    View.SetBounds(0, 0, Width, Height);
    if (FromFile) {
      if (FILE* F = std::fopen(ScratchFile().c_str(), "wb")) {
        std::fwrite(Doc, 1, size_t(DocSize), F);
        std::fclose(F);
      }
      View.LoadFromFile(ScratchFile());
    } else {
      View.LoadFromBuffer(Doc, DocSize);
    }
    PaintBand(View, Y1 % (Height - BandHeight));

    std::string URL, Target, Word;
    int After = 0, Before = 0;
    View.LinkAtPoint(X1, Y1, URL, Target);
    View.WordAtPoint(X2, Y2, Word, After, Before);
    View.DocMouseDown(mbLeft, ssLeft, X1, Y1);
    View.DocMouseMove(ssLeft, X2, Y2);
    View.DocMouseUp(mbLeft, 0, X2, Y2);
    View.SelText();

    View.ScrollTo(View.MaxVertical());
    PaintBand(View, Height - BandHeight);
    // The resize lays the document out again.
    View.SetBounds(0, 0, Width > 260 ? 120 : 500, Height);
    PaintBand(View, 0);
    View.SelectAll();
    View.SelText();
  } catch (const Exception&) {
    // A load may fail with the library's own errors; anything else escapes and is a finding.
  }
  View.Clear();
  return 0;
}
