// The embedded mode as a toolkit host drives it: one wheel notch in a long document, and
// one typed character in a field of a form of 2,000 controls, each with its repaint and
// the damage told to the host. Targets: a notch within 2 ms, a character within 1 ms.
#include <benchmark/benchmark.h>

#include <string>

#include "document/forms/form.h"
#include "include/qjxhtml.h"
#include "include/qjxhtml_host.h"
#include "toolkit/controls/controls.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"

namespace {

int DamageCount = 0;
void CountDamage(HWND, const TQjxRect*, void*) { ++DamageCount; }

intptr_t HostProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  if (Msg == QJX_WM_SIZE) HV_Proc(HVC_RESIZE, Wnd, 0);
  return QjxDefWindowProc(Wnd, Msg, wParam, lParam);
}

// A host window of 800 x 600 with a viewer showing Html, laid out and painted.
class TEmbeddedPage {
 public:
  explicit TEmbeddedPage(const std::string& Html) {
    QjxUseEmbeddedMode();
    QjxEmbedSetDamageProc(CountDamage, nullptr);
    HV_Proc(HVC_INIT, nullptr, 0);
    FHost = QjxCreateHostWindow("bench", 800, 600, HostProc, nullptr);
    HV_Proc(HVC_CREATE, FHost, 0);
    HV_Proc(HVC_RESIZE, FHost, 0);
    THVBuffer buffer{Html.data(), intptr_t(Html.size())};
    HV_Proc(HVC_LOADBUFFER, FHost, reinterpret_cast<intptr_t>(&buffer));
    while (QjxEmbedTimeout() == 0) QjxEmbedDispatch();
  }
  ~TEmbeddedPage() {
    HV_Proc(HVC_DONE, nullptr, 0);
    QjxDestroyWindow(FHost);
    QjxEmbedDispatch();
  }
  HWND Host() const { return FHost; }
  // Where the edit control holding Value stands in the host window.
  TPoint ControlPoint(const std::string& Value) const {
    for (HWND child : GetChildWindows(FHost))
      if (auto* viewer = dynamic_cast<THTMLViewer*>(TWinControl::FromHandle(child)))
        for (TDocControl* control : viewer->SectionList()->FormControls)
          if (auto* obj = dynamic_cast<TFormControlObj*>(control))
            if (obj->FValue == Value && obj->WindowControl()) {
              TPoint p{4, 4};
              MapWindowPoints(obj->WindowControl()->Handle(), FHost, &p, 1);
              return p;
            }
    return TPoint{};
  }

 private:
  HWND FHost = nullptr;
};

void BM_WheelNotchInLongDocument(benchmark::State& State) {
  std::string html = "<html><body><h1>A long document</h1>";
  for (int i = 0; i < 5000; ++i)
    html += "<p>Paragraph " + std::to_string(i) +
            " holds a sentence or two of ordinary text, long enough to wrap at the width of "
            "the window onto a second line of words.</p>";
  TEmbeddedPage page(html);
  DamageCount = 0;
  int down = 0;
  for (auto _ : State) {
    // Down a hundred notches, then up again: every notch moves the page.
    const double notch = (down++ / 100) % 2 ? -1.0 : 1.0;
    QjxEmbedScroll(page.Host(), 0, notch, 400, 300, 0, 0);
  }
  State.counters["damage_reports"] = benchmark::Counter(DamageCount, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WheelNotchInLongDocument)->Unit(benchmark::kMicrosecond);

void BM_TypeCharacterInFormOfTwoThousandControls(benchmark::State& State) {
  std::string html = "<html><body><form action=order.cgi><p>Name: <input name=who value=typed size=30>";
  for (int i = 0; i < 1999; i += 4) {
    const std::string n = std::to_string(i);
    html += "<p>Item " + n + ": <input name=e" + n + " value=" + n + " size=12> <input type=checkbox name=c" +
            n + "> <select name=s" + n + "><option>small<option>large</select> <input type=submit value=\"Add " +
            n + "\">";
  }
  html += "</form></body></html>";
  TEmbeddedPage page(html);
  const TPoint field = page.ControlPoint("typed");
  QjxEmbedButton(page.Host(), QJX_BUTTON_LEFT, 1, field.X, field.Y, 0, 0);
  QjxEmbedButton(page.Host(), QJX_BUTTON_LEFT, 0, field.X, field.Y, 0, 0);
  DamageCount = 0;
  int typed = 0;
  for (auto _ : State) {
    QjxEmbedText(page.Host(), "x");
    if (++typed % 40 == 0) {
      // The field back to its length, outside the measure.
      State.PauseTiming();
      for (int i = 0; i < 40; ++i) {
        QjxEmbedKey(page.Host(), VK_BACK, 1, 0, 0);
        QjxEmbedKey(page.Host(), VK_BACK, 0, 0, 0);
      }
      State.ResumeTiming();
    }
  }
  State.counters["damage_reports"] = benchmark::Counter(DamageCount, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TypeCharacterInFormOfTwoThousandControls)->Unit(benchmark::kMicrosecond);

}  // namespace
