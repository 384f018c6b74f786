// Layout of many prose paragraphs built directly as text sections, and of single long runs
// that offer few places to break.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "style/element_font.h"

namespace {

const char* const Words[] = {"the",   "layout", "of",    "a",      "paragraph", "breaks",
                             "lines", "where",  "words", "end,",   "measuring", "text",
                             "in",    "runs",   "and",   "fitting", "spans.",   "Quickly"};

std::vector<std::unique_ptr<TSection>> MakeParagraphs(TSectionList& Doc, int Count) {
  std::vector<std::unique_ptr<TSection>> Sections;
  Sections.reserve(Count);
  unsigned Seed = 1;
  int Source = 0;
  for (int P = 0; P < Count; ++P) {
    auto Font = std::make_unique<TMyFont>();
    Font->Name = "Arial";
    auto S = std::make_unique<TSection>(&Doc, std::move(Font));
    TokenObj Token;
    // About 60 bytes of prose per paragraph: 3 MB over 50,000 paragraphs.
    while (Token.Count() < 56) {
      Seed = Seed * 1103515245 + 12345;
      for (const char* W = Words[(Seed >> 16) % 18]; *W; ++W) Token.Append(*W, Source++);
      Token.Append(' ', Source++);
    }
    S->AppendTokens(Token);
    S->CompleteText();
    Sections.push_back(std::move(S));
  }
  return Sections;
}

void LayOutAll(std::vector<std::unique_ptr<TSection>>& Sections, TCanvas& Canvas, int Width) {
  IndentManager IMgr;
  IMgr.SetEdges(0, Width);
  int Y = 0, Curs = 0;
  for (auto& S : Sections) {
    int MaxWidth = 0;
    Y += S->Layout(&Canvas, 0, Y, 0, 0, Width, 10000, &IMgr, MaxWidth, Curs);
  }
  benchmark::DoNotOptimize(Y);
}

void BM_LayoutParagraphs(benchmark::State& State) {
  TSectionList Doc{nullptr, nullptr};
  TCanvas Canvas;
  auto Sections = MakeParagraphs(Doc, static_cast<int>(State.range(0)));
  bool Narrow = false;
  for (auto _ : State) {
    // Alternate widths so that every pass is a real re-layout.
    LayOutAll(Sections, Canvas, Narrow ? 300 : 800);
    Narrow = !Narrow;
  }
  State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_LayoutParagraphs)->Arg(50000)->Unit(benchmark::kMillisecond);

// One section of Size bytes of Piece repeated, in a Shift_JIS font when ShiftJis.
std::unique_ptr<TSection> MakeRun(TSectionList& Doc, const std::string& Piece, bool ShiftJis,
                                   int Size) {
  auto Font = std::make_unique<TMyFont>();
  Font->Name = "Arial";
  if (ShiftJis) {
    Font->Charset = SHIFTJIS_CHARSET;
    Font->FLeadByteSet = LeadByteSetOfCharSet(SHIFTJIS_CHARSET);
  }
  auto S = std::make_unique<TSection>(&Doc, std::move(Font));
  std::string Text;
  while (static_cast<int>(Text.size()) < Size) Text += Piece;
  std::vector<int> Sources(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) Sources[I] = static_cast<int>(I);
  S->AppendChars(Text.data(), Sources.data(), static_cast<int>(Text.size()));
  S->CompleteText();
  return S;
}

// Lines of a long run cost what they hold: the time per byte stays flat as the run grows.
void LayOutRun(benchmark::State& State, const std::string& Piece, bool ShiftJis) {
  TSectionList Doc{nullptr, nullptr};
  TCanvas Canvas;
  auto S = MakeRun(Doc, Piece, ShiftJis, static_cast<int>(State.range(0)));
  IndentManager IMgr;
  bool Narrow = false;
  for (auto _ : State) {
    const int Width = Narrow ? 300 : 800;
    IMgr.SetEdges(0, Width);
    int MaxWidth = 0, Curs = 0;
    benchmark::DoNotOptimize(S->Layout(&Canvas, 0, 0, 0, 0, Width, 10000, &IMgr, MaxWidth, Curs));
    Narrow = !Narrow;
  }
  State.SetBytesProcessed(State.iterations() * State.range(0));
  State.SetComplexityN(State.range(0));
}

void BM_LayoutDoubleByteRun(benchmark::State& State) { LayOutRun(State, "\x88\x9f", true); }
BENCHMARK(BM_LayoutDoubleByteRun)
    ->Arg(100 << 10)->Arg(400 << 10)->Arg(1600 << 10)
    ->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

void BM_LayoutHyphenatedWord(benchmark::State& State) { LayOutRun(State, "ab-", false); }
BENCHMARK(BM_LayoutHyphenatedWord)
    ->Arg(100 << 10)->Arg(400 << 10)->Arg(1600 << 10)
    ->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

}  // namespace
