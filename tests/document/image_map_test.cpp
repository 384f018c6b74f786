// Client-side image map areas: shapes, order, links and areas without one.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/core/url_target.h"
#include "document/images/image_map.h"

namespace {

std::string URLAt(const TMapItem& Map, int X, int Y) {
  std::unique_ptr<TUrlTarget> target;
  return Map.GetURL(X, Y, target) ? target->URL : "-";
}

TEST(ImageMap, ShapesAnswerForTheirPixels) {
  TMapItem Map;
  Map.AddArea({"circle", "", "circle", "10,10,5"});
  Map.AddArea({"rect", "", "rect", "30 , 0,, 40 10"});
  Map.AddArea({"poly", "", "poly", "50,0 70,0 60,20"});
  Map.AddArea({"short", "", "poly", "1,2,3,4,5"});  // too few numbers: left out
  Map.AddArea({"rest", "", "default", ""});
  EXPECT_EQ(Map.AreaCount(), 4);
  struct TCase {
    int X, Y;
    const char* URL;
  } Cases[] = {
      {10, 10, "circle"}, {5, 10, "circle"}, {15, 10, "circle"}, {10, 15, "circle"},
      {4, 10, "rest"},    {16, 10, "rest"},  {14, 14, "rest"},    {30, 0, "rect"},
      {40, 10, "rect"},   {41, 10, "rest"},  {60, 5, "poly"},     {51, 18, "rest"},
  };
  for (const TCase& C : Cases) EXPECT_EQ(URLAt(Map, C.X, C.Y), C.URL) << C.X << "," << C.Y;
}

TEST(ImageMap, TheFirstAreaHoldingThePointDecidesEvenWithoutALink) {
  TMapItem Map;
  TAreaAttributes Hole{"ignored", "", "rect", "0,0,9,9"};
  Hole.NoHref = true;
  Map.AddArea(Hole);
  Map.AddArea({"below", "frame", "rect", "0,0,100,100"});
  EXPECT_EQ(URLAt(Map, 5, 5), "-");
  EXPECT_EQ(URLAt(Map, 50, 50), "below");
  std::unique_ptr<TUrlTarget> target;
  ASSERT_TRUE(Map.GetURL(50, 50, target));
  EXPECT_EQ(target->Target, "frame");
  TMapItem Junk;
  Junk.AddArea({"junk", "", "rect", "a,b,c,d"});  // no numbers count as 0
  EXPECT_EQ(URLAt(Junk, 0, 0), "junk");
  EXPECT_EQ(URLAt(Junk, 1, 0), "-");
}

}  // namespace
