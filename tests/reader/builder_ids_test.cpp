#include <gtest/gtest.h>

#include "builder_test_util.h"
#include "document/core/id_name_list.h"
#include "toolkit/graphics/graphics.h"

namespace {

TEST(BuilderIds, BlockElementsWithAnIdCanBeFoundByItInAnyCase) {
  TBuiltDoc d;
  d.Build("<body id=Page><h2 id=\"Intro\">Intro</h2><p id=first>one<p>two"
          "<div id=second style=\"margin-top: 300px\">three</div><a name=second>four</a>");
  TIDNameList& ids = *d.Doc.IdNames;
  for (const char* name : {"PAGE", "intro", "First"}) EXPECT_NE(ids.Lookup(name), nullptr) << name;
  EXPECT_EQ(ids.Lookup("two"), nullptr);
  // The anchor named like the division comes later and wins.
  TIDObject* second = ids.Lookup("SECOND");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(dynamic_cast<TBlock*>(second), nullptr);

  TCanvas canvas;
  int width = 0, curs = 0;
  d.Doc.LayoutCell(&canvas, 0, 600, 400, width, curs);
  const int intro = ids.Lookup("INTRO")->GetTopY();
  const int first = ids.Lookup("FIRST")->GetTopY();
  EXPECT_GT(first, intro);
  EXPECT_GT(second->GetTopY(), first + 300);
}

}  // namespace
