// Parsing, layout and painting of a large table, layout time against the number of rows,
// and re-layout of a table nested deep inside a long page.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "document/core/section_list.h"
#include "reader/builder.h"
#include "toolkit/graphics/bitmap.h"

namespace {

void ApplyBenchDefaults(TSectionList& Doc) {
  Doc.ApplyDefaults("Arial", "Courier New", 10, 5, 0, true, true, clWhite, 0xFF, 0x800080,
                    0xFF0000, 0, 12);
}

// A table like the corpus generator's, made here: Rows rows of 6 columns with fixed,
// percentage and free widths, section rows spanning all columns every 50 rows, and row and
// column spans scattered through the body.
std::string GeneratedTable(int Rows) {
  static const char* Words[] = {"the", "of", "and", "table", "cell", "row", "column", "width",
                                "span", "border", "margin", "padding", "layout", "paint",
                                "scroll", "select", "heading", "paragraph", "font", "colour"};
  unsigned Seed = 1997;
  auto Rand = [&](int N) {
    Seed = Seed * 1103515245u + 12345u;
    return int((Seed >> 16) % unsigned(N));
  };
  auto Text = [&](int Lo, int Hi) {
    std::string S;
    const int N = Lo + Rand(Hi - Lo + 1);
    for (int I = 0; I < N; ++I) S += std::string(I ? " " : "") + Words[Rand(20)];
    return S;
  };
  std::string Out =
      "<html><body bgcolor=\"#ffffff\"><h1>Generated table</h1><p>Rows of six columns.</p>\n"
      "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n";
  const char* FirstWidths[] = {" width=\"60\"", " width=\"15%\"", "", " width=\"120\"",
                               " width=\"25%\"", ""};
  int Busy[6] = {};
  for (int R = 0; R < Rows; ++R) {
    if (R % 50 == 0) {
      std::fill(Busy, Busy + 6, 0);
      Out += "<tr bgcolor=\"#c0c0ff\"><th colspan=\"6\" align=\"left\">Section " +
             std::to_string(R / 50 + 1) + " " + Text(2, 5) + "</th></tr>\n";
      continue;
    }
    Out += "<tr>";
    for (int C = 0; C < 6;) {
      if (Busy[C] > 0) {
        --Busy[C++];
        continue;
      }
      std::string Attrs = (R - 1) % 50 == 0 ? FirstWidths[C] : "";
      int Width = 1;
      if (C == 1 && R % 7 == 1 && (R + 1) % 50 != 0 && R + 1 < Rows) {
        Attrs += " rowspan=\"2\"";
        Busy[C] = 1;
      } else if (C == 5 && R % 13 == 5 && (R + 1) % 50 != 0 && (R + 2) % 50 != 0 && R + 2 < Rows) {
        Attrs += " rowspan=\"3\"";
        Busy[C] = 2;
      }
      if (C == 3 && R % 11 == 3 && Busy[4] == 0) {
        Attrs += " colspan=\"2\"";
        Width = 2;
      }
      if (R % 5 == 0 && C == 1) Attrs += " bgcolor=\"#ffffcc\"";
      const std::string Content = C == 0 ? std::to_string(R) : Text(1, C == 2 ? 20 : 8);
      Out += "<td" + Attrs + ">" + Content + "</td>";
      C += Width;
    }
    Out += "</tr>\n";
  }
  return Out + "</table></body></html>\n";
}

// The corpus generator's 2,000-row table when the shared corpus is there, else the same
// kind of table made here.
const std::string& TablePage() {
  static const std::string Page = [] {
    const std::string Out = "bench_table_load_table.html";
    const std::string Script = std::string(QJX_SHARED_DIR) + "/corpus/html/gen/make_large.py";
    if (std::ifstream(Script).good()) {
      const std::string Cmd = "python3 \"" + Script + "\" table \"" + Out + "\"";
      if (std::system(Cmd.c_str()) == 0) {
        std::ifstream In(Out, std::ios::binary);
        std::stringstream Buf;
        Buf << In.rdbuf();
        std::remove(Out.c_str());
        if (!Buf.str().empty()) return Buf.str();
      }
    }
    return GeneratedTable(2000);
  }();
  return Page;
}

std::unique_ptr<TSectionList> Load(const std::string& Html, TCanvas& Canvas, int Width = 800) {
  auto Doc = std::make_unique<TSectionList>(nullptr, nullptr);
  ApplyBenchDefaults(*Doc);
  TBuildHandlers H;
  ParseHtmlDocument(Html, Doc.get(), H);
  int SW = 0, Curs = 0;
  Doc->LayoutCell(&Canvas, 0, Width, 600, SW, Curs);
  return Doc;
}

void BM_ParseAndLayoutTable(benchmark::State& State) {
  const std::string& Page = TablePage();
  TCanvas Canvas;
  for (auto _ : State) benchmark::DoNotOptimize(Load(Page, Canvas));
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Page.size()));
}
BENCHMARK(BM_ParseAndLayoutTable)->Unit(benchmark::kMillisecond);

// One 1024x768 band of the table painted at the top (0), the middle (1) or the end (2).
void BM_PaintTableBand(benchmark::State& State) {
  TBitmap Bitmap(1024, 768);
  TCanvas& Canvas = Bitmap.Canvas();
  std::unique_ptr<TSectionList> Doc = Load(TablePage(), Canvas);
  int SW = 0, Curs = 0;
  const int Height = Doc->LayoutCell(&Canvas, 0, 800, 600, SW, Curs);
  const int Where = int(State.range(0));
  const TRect Band{0, 0, 1024, 768};
  TPaintContext Pass;
  Pass.Band = Band;
  Pass.ScrollY = Where == 0 ? 0 : Where == 1 ? Height / 2 : std::max(0, Height - 768);
  Doc->ViewScrolled();
  for (auto _ : State) {
    Canvas.FillRect(Band, clWhite);
    benchmark::DoNotOptimize(Doc->Draw(&Canvas, Pass, 6000, 0, 0, 0, 0));
  }
}
BENCHMARK(BM_PaintTableBand)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// A table of 100,000 two-cell rows parsed and laid out: it loads without harm, in the time
// that rows grow it by.
void BM_LoadHundredThousandRows(benchmark::State& State) {
  std::string Page = "<table>";
  for (int R = 0; R < 100000; ++R) Page += "<tr><td>r" + std::to_string(R) + "<td>c";
  Page += "</table>";
  TCanvas Canvas;
  for (auto _ : State) {
    std::unique_ptr<TSectionList> Doc = Load(Page, Canvas);
    if (Doc->Count() == 0) State.SkipWithError("the table was not built");
    benchmark::DoNotOptimize(Doc);
  }
}
BENCHMARK(BM_LoadHundredThousandRows)->Unit(benchmark::kMillisecond)->Iterations(2);

// Layout alone of tables of 2,000 times the argument rows: time should grow in step.
void BM_LayoutTableRows(benchmark::State& State) {
  const int Rows = 2000 * int(State.range(0));
  const std::string Page = GeneratedTable(Rows);
  TCanvas Canvas;
  std::unique_ptr<TSectionList> Doc = Load(Page, Canvas);
  for (auto _ : State) {
    int SW = 0, Curs = 0;
    benchmark::DoNotOptimize(Doc->LayoutCell(&Canvas, 0, 800, 600, SW, Curs));
  }
  State.counters["us_per_row"] =
      benchmark::Counter(double(Rows), benchmark::Counter::kIsIterationInvariantRate |
                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_LayoutTableRows)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// Re-layout of a page whose middle holds a small table nested in three tables and a few
// divisions, among paragraphs that grow with the argument: time should grow in step.
void BM_RelayoutDeepTableInLongPage(benchmark::State& State) {
  const int Paras = 5000 * int(State.range(0));
  std::string Page = "<html><body>";
  auto Paragraphs = [&](int N) {
    for (int I = 0; I < N; ++I)
      Page += "<p>Paragraph " + std::to_string(I) + " with a few words to wrap.</p>\n";
  };
  Paragraphs(Paras / 2);
  Page += "<div><div><table border=1><tr><td><table><tr><td><div><table cellpadding=4>";
  for (int R = 0; R < 20; ++R)
    Page += "<tr><td>row " + std::to_string(R) + "<td>cell text<td width=40%>wide cell</tr>";
  Page += "</table></div></table></table></div></div>\n";
  Paragraphs(Paras / 2);
  TCanvas Canvas;
  std::unique_ptr<TSectionList> Doc = Load(Page, Canvas);
  int Width = 800;
  for (auto _ : State) {
    int SW = 0, Curs = 0;
    Width = Width == 800 ? 700 : 800;
    benchmark::DoNotOptimize(Doc->LayoutCell(&Canvas, 0, Width, 600, SW, Curs));
  }
}
BENCHMARK(BM_RelayoutDeepTableInLongPage)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// Layout of pages of tables nested ten deep, 100 times the argument of them: time should grow
// in step, not with the depth's powers.
void BM_LayoutNestedTables(benchmark::State& State) {
  std::string Page;
  for (int I = 0; I < 100 * int(State.range(0)); ++I) {
    for (int D = 0; D < 10; ++D) Page += "<table border=1><tr><td>cell<td>";
    Page += "inner";
    for (int D = 0; D < 10; ++D) Page += "</table>";
  }
  TCanvas Canvas;
  std::unique_ptr<TSectionList> Doc = Load(Page, Canvas);
  for (auto _ : State) {
    int SW = 0, Curs = 0;
    benchmark::DoNotOptimize(Doc->LayoutCell(&Canvas, 0, 800, 600, SW, Curs));
  }
}
BENCHMARK(BM_LayoutNestedTables)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
