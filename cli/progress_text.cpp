#include "cli/progress_text.h"

#include <cstdio>

#include "cli/text_columns.h"

namespace {

constexpr int wholePercent = 100;
constexpr int lineSize = 160;
constexpr int barEnds = 2;  // the brackets

}  // namespace

int PercentDone(const PageProgress& progress) {
  const int total = progress.toWrite + progress.toVerify;
  if (total <= 0) return wholePercent;
  return (progress.written + progress.verified) * wholePercent / total;
}

std::string ProgressLine(const PageProgress& progress, int seconds, int columns) {
  const int percent = PercentDone(progress);
  char full[lineSize];
  std::snprintf(full, sizeof full, "записано страниц: %d из %d, проверено: %d из %d, %d %%, %d с",
                progress.written, progress.toWrite, progress.verified, progress.toVerify, percent,
                seconds);
  char brief[lineSize];
  std::snprintf(brief, sizeof brief, "запись %d/%d, проверка %d/%d, %d %%, %d с", progress.written,
                progress.toWrite, progress.verified, progress.toVerify, percent, seconds);
  char least[lineSize];
  std::snprintf(least, sizeof least, "%d %%, %d с", percent, seconds);
  for (const char* text : {full, brief}) {
    if (TextColumns(text) <= columns) return text;
  }
  return FitColumns(least, columns);
}

std::string ProgressBar(int percent, int width) {
  const int inside = width - barEnds;
  if (inside <= 0) return "";
  const int filled = percent * inside / wholePercent;
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(inside - filled), '.') + "]";
}
