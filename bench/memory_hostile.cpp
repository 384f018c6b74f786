// The memory hostile pages take: twenty 8192 x 8192 PNGs (a few hundred KB of file each),
// 1,000 IMGs of one animated GIF of 10,000 frames, and a table of a million cells (5 MB of
// "<td>x"), shown and printed to PDF. Reports the heap in use while the page is shown and
// the process's peak resident size; run one benchmark at a time (--benchmark_filter) for a
// peak of its own.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <png.h>
#include <sys/resource.h>

#include <algorithm>
#include <iterator>

#include <cstdint>
#include <string>
#include <vector>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "bench/bench_document.h"
#include "bench/bench_viewer.h"
#include "common/classes.h"
#include "print/print_document.h"
#include "toolkit/printers/printer.h"

namespace {

// Large blocks come from mmap: both kinds count.
double HeapInUseMB() {
  const struct mallinfo2 info = mallinfo2();
  return double(info.uordblks + info.hblkhd) / (1 << 20);
}

double PeakRssMB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024;
}

// A flat-coloured RGB picture with a stripe, written a row at a time: it compresses to a few
// hundred KB and decodes to Side x Side pixels.
std::vector<uint8_t> BigPng(int Side) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp P, png_bytep Data, png_size_t Size) {
        auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(P));
        bytes->insert(bytes->end(), Data, Data + Size);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(Side), png_uint_32(Side), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(size_t(Side) * 3, 0x80);
  for (int y = 0; y < Side; ++y) {
    row[0] = uint8_t(y);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// LZW data of 8-bit codes left uncompressed: 9-bit literals with a clear code before the
// table would grow to 10-bit codes.
std::vector<uint8_t> LiteralLzw(const std::vector<uint8_t>& Pixels) {
  std::vector<uint8_t> out;
  uint32_t bits = 0;
  int count = 0;
  auto put = [&](uint32_t Code) {
    bits |= Code << count;
    count += 9;
    while (count >= 8) {
      out.push_back(uint8_t(bits));
      bits >>= 8;
      count -= 8;
    }
  };
  put(256);
  for (size_t i = 0; i < Pixels.size(); ++i) {
    if (i > 0 && i % 254 == 0) put(256);
    put(Pixels[i]);
  }
  put(257);
  if (count > 0) out.push_back(uint8_t(bits));
  return out;
}

// An animated GIF of Frames frames of Side x Side, each a colour of its own.
std::vector<uint8_t> AnimatedGif(int Side, int Frames) {
  std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', uint8_t(Side), uint8_t(Side >> 8),
                              uint8_t(Side), uint8_t(Side >> 8), 0xF7, 0, 0};
  for (int c = 0; c < 256; ++c) gif.insert(gif.end(), {uint8_t(c), uint8_t(255 - c), uint8_t(c * 7)});
  const uint8_t loop[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0};
  gif.insert(gif.end(), std::begin(loop), std::end(loop));
  for (int f = 0; f < Frames; ++f) {
    gif.insert(gif.end(), {0x21, 0xF9, 4, 0x04, 5, 0, 0, 0});
    gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, uint8_t(Side), uint8_t(Side >> 8), uint8_t(Side),
                           uint8_t(Side >> 8), 0, 8});
    const std::vector<uint8_t> lzw = LiteralLzw(std::vector<uint8_t>(size_t(Side) * Side, uint8_t(f)));
    for (size_t i = 0; i < lzw.size(); i += 255) {
      const size_t n = std::min<size_t>(255, lzw.size() - i);
      gif.push_back(uint8_t(n));
      gif.insert(gif.end(), lzw.begin() + std::ptrdiff_t(i), lzw.begin() + std::ptrdiff_t(i + n));
    }
    gif.push_back(0);
  }
  gif.push_back(0x3B);
  return gif;
}

// A viewer that answers every picture request with Data.
struct TPictureViewer : TBenchViewerWindow {
  std::vector<uint8_t> Data;
  TMemoryStream Answer;
  explicit TPictureViewer(std::vector<uint8_t> Picture) : Data(std::move(Picture)) {
    Viewer->SetOnImageRequest([this](TObject*, const std::string&, TMemoryStream*& Stream) {
      Answer.Clear();
      Answer.Write(Data.data(), int64_t(Data.size()));
      Stream = &Answer;
    });
  }
};

// Loads and paints the page, clearing it between iterations; returns the heap it held shown.
double ShowPage(benchmark::State& State, TBenchViewerWindow& B, const std::string& Page) {
  const double before = HeapInUseMB();
  double shown = 0;
  for (auto _ : State) {
    B.Load(Page);
    B.Paint();
    shown = HeapInUseMB() - before;
    State.PauseTiming();
    B.Viewer->Clear();
    State.ResumeTiming();
  }
  State.counters["HeapShownMB"] = shown;
  State.counters["PeakRssMB"] = PeakRssMB();
  return shown;
}

void RunPage(benchmark::State& State, TPictureViewer& B, const std::string& Page) {
  ShowPage(State, B, Page);
  State.counters["FileKB"] = double(B.Data.size()) / 1024;
}

void BM_TwentyBigPngs(benchmark::State& State) {
  TPictureViewer b(BigPng(8192));
  std::string page;
  for (int i = 0; i < 20; ++i) page += "<img src='big" + std::to_string(i) + ".png' width=64 height=64>";
  RunPage(State, b, page);
}
BENCHMARK(BM_TwentyBigPngs)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ThousandImgsOfOneGif(benchmark::State& State) {
  TPictureViewer b(AnimatedGif(8, 10000));
  std::string page;
  for (int i = 0; i < 1000; ++i) page += "<img src='anim.gif'>";
  RunPage(State, b, page);
}
BENCHMARK(BM_ThousandImgsOfOneGif)->Unit(benchmark::kMillisecond)->Iterations(1);

// Rows rows of Columns cells of one letter each, as a page writes them without end tags.
std::string CellTable(int Rows, int Columns) {
  return "<table>" + Repeat("<tr>" + Repeat("<td>x", Columns), Rows);
}

// A million cells in rows of the most columns a table takes.
constexpr int TableRows = 5000, TableColumns = 200;

void BM_MillionCellTableShown(benchmark::State& State) {
  const std::string page = CellTable(TableRows, TableColumns);
  TBenchViewerWindow b;
  const double shown = ShowPage(State, b, page);
  State.counters["BytesPerCell"] = shown * (1 << 20) / (double(TableRows) * TableColumns);
  State.counters["TimesSource"] = shown * (1 << 20) / double(page.size());
}
BENCHMARK(BM_MillionCellTableShown)->Unit(benchmark::kMillisecond)->Iterations(1);

// The document laid out as for the screen, then printed: the pass lays it out again for
// the pages, in place.
void BM_MillionCellTablePrinted(benchmark::State& State) {
  const std::string page = CellTable(TableRows, TableColumns);
  const std::string out = (std::filesystem::temp_directory_path() /
                           ("bench-cells-" + std::to_string(::getpid()) + ".pdf"))
                              .string();
  PdfPrinter().FileName = out;
  Printer().PrinterIndex = 0;
  TPrintSettings settings;
  int pages = 0;
  double laidOut = 0;
  for (auto _ : State) {
    const double before = HeapInUseMB();
    auto doc = BuildLaidOutDocument(page);
    laidOut = HeapInUseMB() - before;
    pages = PrintDocumentPages(*doc, settings, 1, 1 << 30);
  }
  std::remove(out.c_str());
  State.counters["pages"] = pages;
  State.counters["HeapLaidOutMB"] = laidOut;
  State.counters["PeakRssMB"] = PeakRssMB();
}
BENCHMARK(BM_MillionCellTablePrinted)->Unit(benchmark::kMillisecond)->Iterations(1);

// As a host has it through HV_Proc: the viewer loads and paints the page, counts its pages,
// prints it to PDF and lays it out for the screen again. The bound is 2 s and 512 MB for all
// of it.
void BM_MillionCellTableShownAndPrinted(benchmark::State& State) {
  const std::string page = CellTable(TableRows, TableColumns);
  const std::string out = (std::filesystem::temp_directory_path() /
                           ("bench-cells-viewer-" + std::to_string(::getpid()) + ".pdf"))
                              .string();
  PdfPrinter().FileName = out;
  Printer().PrinterIndex = 0;
  TBenchViewerWindow b;
  int pages = 0;
  for (auto _ : State) {
    b.Load(page);
    b.Paint();
    State.counters["counted"] = b.Viewer->CountPrintPages();
    b.Viewer->PrintPages(1, 1 << 30);
    pages = b.Viewer->PrintPage();
    b.Paint();
    State.PauseTiming();
    b.Viewer->Clear();
    State.ResumeTiming();
  }
  std::remove(out.c_str());
  State.counters["pages"] = pages;
  State.counters["PeakRssMB"] = PeakRssMB();
}
BENCHMARK(BM_MillionCellTableShownAndPrinted)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
