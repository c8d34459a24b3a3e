// Where the progress bar's two parts end for the pages done so far.
#include "app/bar_extent.h"

#include <gtest/gtest.h>

namespace {

TEST(BarExtent, WrittenThenVerifiedShareTheWidthAndNeverPassIt) {
  struct Case {
    const char* name;
    PageProgress progress;
    int width;
    BarExtent expected;
  };
  const Case cases[] = {
      {"all written, half verified", {100, 100, 100, 50}, 200, {100, 150}},
      {"full only when the last page is done", {149, 149, 149, 148}, 224, {112, 223}},
      {"a read-only job is all blue", {0, 2, 0, 1}, 224, {0, 112}},
      {"more pages than expected", {2, 2, 5, 9}, 100, {50, 100}},
      {"a job of no pages", {0, 0, 0, 3}, 100, {0, 0}},
  };
  for (const Case& c : cases) {
    const BarExtent extent = BarExtentOf(c.progress, c.width);
    EXPECT_EQ(extent.writtenEnd, c.expected.writtenEnd) << c.name;
    EXPECT_EQ(extent.verifiedEnd, c.expected.verifiedEnd) << c.name;
  }
}

}  // namespace
