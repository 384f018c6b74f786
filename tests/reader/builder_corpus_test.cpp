// Every real document of the corpus builds and lays out to a stable, positive height.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "builder_test_util.h"
#include "tests/test_data.h"

namespace {

TEST(BuilderCorpus, RealDocumentsLayOutToStableHeights) {
  SKIP_WITHOUT_SHARED_CORPUS("html/real");
  const std::filesystem::path Dir = SharedCorpusPath("html/real");
  int Seen = 0;
  for (const auto& E : std::filesystem::recursive_directory_iterator(Dir)) {
    const std::string Ext = E.path().extension().string();
    if (Ext != ".html" && Ext != ".htm") continue;
    std::ifstream In(E.path(), std::ios::binary);
    std::stringstream Buf;
    Buf << In.rdbuf();
    TBuiltDoc D;
    D.Build(Buf.str());
    TCanvas Canvas;
    for (int Width : {800, 200}) {
      int SW = 0, Curs = 0;
      const int H1 = D.Doc.LayoutCell(&Canvas, 0, Width, 600, SW, Curs);
      Curs = 0;
      const int H2 = D.Doc.LayoutCell(&Canvas, 0, Width, 600, SW, Curs);
      EXPECT_GT(H1, 0) << E.path() << " at " << Width;
      EXPECT_EQ(H1, H2) << E.path() << " at " << Width;
    }
    ++Seen;
  }
  EXPECT_GT(Seen, 0);
}

}  // namespace

namespace {

TEST(BuilderCorpus, TourDocumentHasItsTitleAnchorsAndLaysOut) {
  std::ifstream In(std::filesystem::path(QJX_SOURCE_DIR) / "examples" / "tour.html",
                   std::ios::binary);
  std::stringstream Buf;
  Buf << In.rdbuf();
  TBuiltDoc D;
  D.Build(Buf.str());
  EXPECT_EQ(D.Result.DocTitle, "A Tour of qjxhtml");
  for (const char* Name : {"TOP", "FONTS", "PRE"}) EXPECT_TRUE(D.Doc.IdNames->Lookup(Name)) << Name;
  TCanvas Canvas;
  int SW = 0, Curs = 0;
  EXPECT_GT(D.Doc.LayoutCell(&Canvas, 0, 800, 600, SW, Curs), 200);
}

}  // namespace
