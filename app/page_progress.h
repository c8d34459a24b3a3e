// How far the running job is: pages done against the pages the job will
// write and read back, and where that puts the two parts of a progress bar.
#pragma once

#include "loader/report.h"

struct PageProgress {
  int toWrite = 0;
  int toVerify = 0;
  int written = 0;
  int verified = 0;
};

// Ends of the bar's two parts, in pixels from its left edge: the written
// part [0, writtenEnd), then the verified part [writtenEnd, verifiedEnd).
struct BarExtent {
  int writtenEnd = 0;
  int verifiedEnd = 0;
};

inline bool operator==(const BarExtent& a, const BarExtent& b) {
  return a.writtenEnd == b.writtenEnd && a.verifiedEnd == b.verifiedEnd;
}

void CountPage(PageProgress* progress, PageWork work);

// The whole job (its writes and its reads) spans `width`; pages reported
// beyond a total never push the bar past it.
BarExtent BarExtentOf(const PageProgress& progress, int width);
