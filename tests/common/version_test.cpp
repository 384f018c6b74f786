#include "common/version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

TEST(Version, IsDottedTriple) {
  const char* v = QjxVersion();
  EXPECT_EQ(2, std::count(v, v + std::strlen(v), '.'));
}
