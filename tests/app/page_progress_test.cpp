// Where the progress bar's two parts end for the pages done so far.
#include "app/page_progress.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

TEST(BarExtent, WrittenThenVerifiedShareTheBarByPages) {
  struct Case {
    const char* name;
    PageProgress progress;
    int width;
    BarExtent expected;
  };
  const Case cases[] = {
      {"nothing done yet", {149, 149, 0, 0}, 224, {0, 0}},
      {"half written", {100, 100, 50, 0}, 200, {50, 50}},
      {"all written, nothing verified", {149, 149, 149, 0}, 224, {112, 112}},
      {"all written, half verified", {100, 100, 100, 50}, 200, {100, 150}},
      {"done", {149, 149, 149, 149}, 224, {112, 224}},
      {"rounded down: full only when done", {149, 149, 149, 148}, 224, {112, 223}},
      {"a read-only job is all blue", {0, 2, 0, 1}, 224, {0, 112}},
      {"a read-only job, done", {0, 2, 0, 2}, 224, {0, 224}},
      {"the coefficient pages", {2, 2, 1, 0}, 224, {56, 56}},
  };
  for (const Case& c : cases) {
    const BarExtent extent = BarExtentOf(c.progress, c.width);
    EXPECT_EQ(extent.writtenEnd, c.expected.writtenEnd) << c.name;
    EXPECT_EQ(extent.verifiedEnd, c.expected.verifiedEnd) << c.name;
  }
}

TEST(BarExtent, CountsBeyondTheTotalsNeverPushItPastItsEnd) {
  struct Case {
    const char* name;
    PageProgress progress;
    int width;
    BarExtent expected;
  };
  const Case cases[] = {
      {"more written than expected", {2, 2, 5, 0}, 100, {50, 50}},
      {"more verified than expected", {2, 2, 2, 9}, 100, {50, 100}},
      {"verified pages of a job that writes none", {0, 0, 0, 3}, 100, {0, 0}},
      {"no pages at all", {0, 0, 0, 0}, 100, {0, 0}},
      {"no width", {4, 4, 4, 4}, 0, {0, 0}},
      {"a big job on a wide bar", {100000, 100000, 100000, 100000}, 30000, {15000, 30000}},
  };
  for (const Case& c : cases) {
    const BarExtent extent = BarExtentOf(c.progress, c.width);
    EXPECT_EQ(extent.writtenEnd, c.expected.writtenEnd) << c.name;
    EXPECT_EQ(extent.verifiedEnd, c.expected.verifiedEnd) << c.name;
  }
}

TEST(BarExtent, EachReportCountsOnePageOfItsKind) {
  PageProgress progress{3, 3, 0, 0};
  CountPage(&progress, PageWork::written);
  CountPage(&progress, PageWork::written);
  CountPage(&progress, PageWork::verified);
  EXPECT_EQ(progress.written, 2);
  EXPECT_EQ(progress.verified, 1);
  EXPECT_EQ(progress.toWrite, 3);
  EXPECT_EQ(progress.toVerify, 3);
}

}  // namespace
