// Pages as a host shows them through HV_Proc: a host window of 1024 x 768, a fresh viewer,
// HVC_LOADBUFFER, then the messages that paint the first band. Small pages (where what the
// library makes once must be cheap), the first band after a load, the page of 50,000
// paragraphs for its time and its peak memory, and start-up in a process of its own.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/paragraph_page.h"
#include "include/qjxhtml.h"
#include "include/qjxhtml_host.h"

extern char** environ;

namespace {

using TClock = std::chrono::steady_clock;

// A 50-byte page of its own, and the same with one drop-down, one edit and one picture
// that is not there: each costs what its kind costs the first time.
const char* const PlainPage = "<html><body><p>Hello, small world.</p></body></html>";
const char* const ControlsPage =
    "<p>Pick <select name=s><option>one<option>two</select> <input name=q> "
    "<img src=missing.gif alt=gone></p>";

// A search form of 1.3 KB as sites wrote them: a heading, a table of labelled fields and a
// few kinds of control.
std::string SearchFormPage() {
  return "<html><head><title>Search the archive</title></head>\n"
         "<body bgcolor=white>\n<h2>Search the archive</h2>\n"
         "<p>Enter one or more words. Words are matched in titles and in the text of each "
         "message; use the options below to narrow the search.</p>\n"
         "<form method=get action=\"/cgi-bin/search\">\n<table border=0 cellpadding=2>\n"
         "<tr><td align=right><b>Words:</b></td><td><input type=text name=q size=40></td></tr>\n"
         "<tr><td align=right><b>Match:</b></td><td><select name=m><option value=all selected>"
         "all words<option value=any>any word<option value=phrase>the phrase</select></td></tr>\n"
         "<tr><td align=right><b>In:</b></td><td><input type=radio name=w value=t checked> titles "
         "<input type=radio name=w value=b> text <input type=radio name=w value=a> both</td></tr>\n"
         "<tr><td align=right><b>Since:</b></td><td><select name=y><option>1996<option>1997"
         "<option>1998<option selected>1999</select> <input type=checkbox name=r value=1> newest "
         "first</td></tr>\n"
         "<tr><td align=right><b>Show:</b></td><td><input type=text name=n size=4 value=20> "
         "results a page</td></tr>\n"
         "<tr><td></td><td><input type=submit value=Search> <input type=reset value=Clear>"
         "</td></tr>\n</table>\n</form>\n<hr>\n<p><a href=\"/\">Home</a> | "
         "<a href=\"help.html\">Help</a> | <a href=\"mailto:web@example.org\">Write to us</a></p>\n"
         "<address>Last changed 12 March 1999</address>\n</body></html>\n";
}

intptr_t HostProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  return QjxDefWindowProc(Wnd, Msg, wParam, lParam);
}

// The registry and one host window for the whole run.
HWND Host() {
  static HWND Wnd = [] {
    HV_Proc(HVC_INIT, nullptr, 0);
    return QjxCreateHostWindow("bench", 1024, 768, HostProc, nullptr);
  }();
  return Wnd;
}

void Load(HWND Wnd, const std::string& Html) {
  THVBuffer Buffer{Html.data(), intptr_t(Html.size())};
  HV_Proc(HVC_LOADBUFFER, Wnd, reinterpret_cast<intptr_t>(&Buffer));
}

// A fresh viewer shows Html: created, fitted to the window, loaded, and its first band painted.
void ShowInFreshViewer(HWND Wnd, const std::string& Html) {
  HV_Proc(HVC_CREATE, Wnd, 0);
  HV_Proc(HVC_RESIZE, Wnd, 0);
  Load(Wnd, Html);
  QjxPumpMessages();
}

void CloseViewer(HWND Wnd) {
  HV_Proc(HVC_DESTROY, Wnd, 0);
  QjxPumpMessages();
}

// What a page costs once the library has started: each iteration a fresh viewer.
void SmallPage(benchmark::State& State, const std::string& Html) {
  HWND Wnd = Host();
  ShowInFreshViewer(Wnd, Html);  // the library's start-up is measured on its own
  CloseViewer(Wnd);
  for (auto _ : State) {
    ShowInFreshViewer(Wnd, Html);
    State.PauseTiming();
    CloseViewer(Wnd);
    State.ResumeTiming();
  }
  State.counters["SourceBytes"] = double(Html.size());
}
void BM_SmallPagePlain(benchmark::State& State) { SmallPage(State, PlainPage); }
void BM_SmallPageThreeControls(benchmark::State& State) { SmallPage(State, ControlsPage); }
void BM_SmallPageSearchForm(benchmark::State& State) { SmallPage(State, SearchFormPage()); }
BENCHMARK(BM_SmallPagePlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SmallPageThreeControls)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SmallPageSearchForm)->Unit(benchmark::kMicrosecond);

// Only the first band after each load: a load leaves nothing painted.
void BM_FirstBandAfterLoad(benchmark::State& State) {
  const std::string& Page = ParagraphPage();
  if (Page.empty()) return State.SkipWithError("the paragraph page could not be generated");
  HWND Wnd = Host();
  HV_Proc(HVC_CREATE, Wnd, 0);
  HV_Proc(HVC_RESIZE, Wnd, 0);
  for (auto _ : State) {
    State.PauseTiming();
    Load(Wnd, Page);
    State.ResumeTiming();
    QjxPumpMessages();
  }
  CloseViewer(Wnd);
}
BENCHMARK(BM_FirstBandAfterLoad)->Unit(benchmark::kMicrosecond);

long StatusKB(const char* Field) {
  std::ifstream In("/proc/self/status");
  std::string Line;
  const size_t N = std::strlen(Field);
  while (std::getline(In, Line))
    if (Line.compare(0, N, Field) == 0) return std::atol(Line.c_str() + N + 1);
  return 0;
}

// Parse, lay out and paint the first band of the paragraph page in a fresh viewer; the
// peak resident size it raised above what the process held before, per byte of source.
void BM_ParagraphPageThroughHost(benchmark::State& State) {
  const std::string& Page = ParagraphPage();
  if (Page.empty()) return State.SkipWithError("the paragraph page could not be generated");
  HWND Wnd = Host();
  ShowInFreshViewer(Wnd, Page.substr(0, 4096));
  CloseViewer(Wnd);
  double Peak = 0;
  for (auto _ : State) {
    State.PauseTiming();
    // What an earlier page freed is given back first; writing 5 then starts the
    // high-water mark again from the resident size now.
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long Base = StatusKB("VmRSS:");
    State.ResumeTiming();
    ShowInFreshViewer(Wnd, Page);
    State.PauseTiming();
    Peak = std::max(Peak, double(StatusKB("VmHWM:") - Base) * 1024);
    CloseViewer(Wnd);
    State.ResumeTiming();
  }
  State.counters["PeakTimesSource"] = Peak / double(Page.size());
}
BENCHMARK(BM_ParagraphPageThroughHost)->Unit(benchmark::kMillisecond);

// Start-up: a new process of this program from its first call into the library to the first
// viewer shown (a plain page loaded and painted); then, in the same process, the first page of
// controls and the first search form, each the first of its kind. The child reports the times.
const char* const StartUpVariable = "QJX_BENCH_START_UP_CHILD";
constexpr int StartUpTimes = 3;

int StartUpChild(int Fd) {
  double Seconds[StartUpTimes];
  auto timed = [](auto&& Step) {
    const auto Start = TClock::now();
    Step();
    return std::chrono::duration<double>(TClock::now() - Start).count();
  };
  Seconds[0] = timed([] { ShowInFreshViewer(Host(), PlainPage); });
  CloseViewer(Host());
  Seconds[1] = timed([] { ShowInFreshViewer(Host(), ControlsPage); });
  CloseViewer(Host());
  Seconds[2] = timed([] { ShowInFreshViewer(Host(), SearchFormPage()); });
  const ssize_t Written = write(Fd, Seconds, sizeof Seconds);
  return Written == ssize_t(sizeof Seconds) ? 0 : 1;
}

void BM_StartUpToFirstViewer(benchmark::State& State) {
  double Controls = 0, Form = 0;
  for (auto _ : State) {
    int Pipe[2];
    if (pipe(Pipe) != 0) return State.SkipWithError("no pipe");
    const std::string Setting = std::string(StartUpVariable) + "=" + std::to_string(Pipe[1]);
    std::vector<char*> Env;
    for (char** E = environ; *E; ++E) Env.push_back(*E);
    Env.push_back(const_cast<char*>(Setting.c_str()));
    Env.push_back(nullptr);
    char Self[] = "/proc/self/exe";
    char* Argv[] = {Self, nullptr};
    pid_t Child = 0;
    if (posix_spawn(&Child, Self, nullptr, nullptr, Argv, Env.data()) != 0) {
      close(Pipe[0]);
      close(Pipe[1]);
      return State.SkipWithError("no child process");
    }
    close(Pipe[1]);
    double Seconds[StartUpTimes] = {};
    const bool Read = read(Pipe[0], Seconds, sizeof Seconds) == ssize_t(sizeof Seconds);
    close(Pipe[0]);
    int Status = 0;
    waitpid(Child, &Status, 0);
    if (!Read) return State.SkipWithError("the child reported nothing");
    State.SetIterationTime(Seconds[0]);
    Controls += Seconds[1];
    Form += Seconds[2];
  }
  const double N = double(State.iterations());
  State.counters["FirstControlsMs"] = Controls / N * 1000;
  State.counters["FirstFormMs"] = Form / N * 1000;
}
BENCHMARK(BM_StartUpToFirstViewer)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Deterministic windows in memory, as the tests use: no display is measured.
  setenv("QJX_BACKEND", "headless", 0);
  if (const char* Fd = std::getenv(StartUpVariable)) return StartUpChild(std::atoi(Fd));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
