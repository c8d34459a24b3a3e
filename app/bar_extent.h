// Where a job's progress puts the two parts of the window's progress bar.
#pragma once

#include "runner/page_progress.h"

// Ends of the bar's two parts, in pixels from its left edge: the written
// part [0, writtenEnd), then the verified part [writtenEnd, verifiedEnd).
struct BarExtent {
  int writtenEnd = 0;
  int verifiedEnd = 0;
};

inline bool operator==(const BarExtent& a, const BarExtent& b) {
  return a.writtenEnd == b.writtenEnd && a.verifiedEnd == b.verifiedEnd;
}

// The whole job (its writes and its reads) spans `width`; pages reported
// beyond a total never push the bar past it.
BarExtent BarExtentOf(const PageProgress& progress, int width);
