// Pushing and styling elements against a sizeable sheet, as the builder does for
// every element it opens.
#include <benchmark/benchmark.h>

#include <string>

#include "style/css_parser.h"
#include "style/properties.h"
#include "style/style_list.h"

namespace {

const char* const Tags[] = {"div", "p", "span", "a", "ul", "li", "td", "b", "em", "h2"};
constexpr int TagCount = sizeof(Tags) / sizeof(Tags[0]);

// 500 rules: tags, classes, ids, pseudo-classes and contextual rules of 2 to 4 parts.
std::string MakeSheet() {
  std::string css;
  for (int i = 0; i < 500; ++i) {
    const char* tag = Tags[i % TagCount];
    const char* other = Tags[(i * 7 + 3) % TagCount];
    switch (i % 8) {
      case 0: css += std::string(tag) + " { color: #" + std::to_string(100000 + i) + " }\n"; break;
      case 1: css += ".c" + std::to_string(i % 40) + " { margin-left: " + std::to_string(i % 9) + "px }\n"; break;
      case 2: css += std::string(tag) + ".c" + std::to_string(i % 40) + " { font-weight: bold }\n"; break;
      case 3: css += "#id" + std::to_string(i) + " { text-indent: 2em }\n"; break;
      case 4: css += std::string(other) + " " + tag + " { font-size: 110% }\n"; break;
      case 5: css += std::string("body ") + other + " " + tag + " { padding: 1px 2px }\n"; break;
      case 6: css += ".c" + std::to_string(i % 40) + " " + tag + " { border: 1px solid red }\n"; break;
      case 7: css += std::string("div ") + other + " li " + tag + " { line-height: 1.2 }\n"; break;
    }
  }
  css += "a:hover { color: red } a:visited { color: purple }\n";
  return css;
}

void BM_PushAndApplyStyles(benchmark::State& state) {
  TStyleList styles;
  styles.BuildDefaults("Times New Roman", "Courier New", 12, 0, 0xFF0000, 0x800080, 0xFF, true,
                       0, 8, 10);
  ParseStyleSheetText(styles, MakeSheet(), "");
  const int elements = 100000;
  for (auto _ : state) {
    TPropStack stack;
    stack.Insert(0).CopyAsDefault(*styles.DefaultRule());
    stack.Push().ApplyStyles(styles, "body", "", "", "", "", nullptr);
    unsigned seed = 12345;
    for (int n = 0; n < elements; ++n) {
      seed = seed * 1103515245 + 12345;
      unsigned r = seed >> 8;
      // Depth wanders between 2 and 12, as in ordinary documents.
      if (stack.Count() > 12 || (stack.Count() > 2 && r % 3 == 0)) stack.Pop();
      const char* tag = Tags[r % TagCount];
      std::string cls = (r & 64) ? "c" + std::to_string(r % 40) : std::string();
      std::string id = (r % 50 == 0) ? "id" + std::to_string(r % 500) : std::string();
      bool link = tag[0] == 'a' && tag[1] == 0;
      TProperties& p = stack.Push();
      p.ApplyStyles(styles, tag, cls, id, link ? "link" : "", "", nullptr);
      benchmark::DoNotOptimize(p.FEmPixels);
    }
  }
  state.SetItemsProcessed(state.iterations() * elements);
}
BENCHMARK(BM_PushAndApplyStyles)->Unit(benchmark::kMillisecond);

void BM_ParseSheet(benchmark::State& state) {
  std::string css = MakeSheet();
  for (auto _ : state) {
    TStyleList styles;
    ParseStyleSheetText(styles, css, "");
    benchmark::DoNotOptimize(styles.Count());
  }
  state.SetBytesProcessed(state.iterations() * int64_t(css.size()));
}
BENCHMARK(BM_ParseSheet);

}  // namespace
