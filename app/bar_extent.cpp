#include "app/bar_extent.h"

#include <algorithm>

namespace {

int Clamped(int done, int total) { return std::max(0, std::min(done, total)); }

}  // namespace

BarExtent BarExtentOf(const PageProgress& progress, int width) {
  const int total = progress.toWrite + progress.toVerify;
  if (total <= 0 || width <= 0) return {};
  const long written = Clamped(progress.written, progress.toWrite);
  const long verified = Clamped(progress.verified, progress.toVerify);
  // Rounded down, so the bar is full only when every page is done.
  return {static_cast<int>(written * width / total),
          static_cast<int>((written + verified) * width / total)};
}
