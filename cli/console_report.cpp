#include "cli/console_report.h"

#include <cstring>

namespace {

constexpr char failurePrefix[] = "@C1";
constexpr char progressPrefix[] = "@C4";
constexpr int prefixLength = 3;

constexpr char red[] = "\x1b[31m";
constexpr char blue[] = "\x1b[34m";
constexpr char plain[] = "\x1b[0m";
constexpr char eraseLine[] = "\r\x1b[K";

}  // namespace

ConsoleReporter::ConsoleReporter(const ConsoleReportSettings& newSettings)
    : settings(newSettings) {}

void ConsoleReporter::Attach(ReportSinks* sinks) {
  attached = sinks;
  sinks->log = [this](const char* line) { PrintLine(line); };
  sinks->page = [this](PageWork work, uint32_t) { CountPage(work); };
}

void ConsoleReporter::End() {
  if (attached != nullptr) {
    attached->log = nullptr;
    attached->page = nullptr;
    attached = nullptr;
  }
  EraseProgress();
  if (settings.stream != nullptr) std::fflush(settings.stream);
}

void ConsoleReporter::EraseProgress() {
  if (!progressShown) return;
  std::fputs(eraseLine, settings.stream);
  progressShown = false;
}

void ConsoleReporter::DrawProgress() {
  std::fprintf(settings.stream, "%sзаписано страниц: %d из %d, проверено: %d из %d", eraseLine,
               pagesWritten, settings.pagesToWrite, pagesVerified, settings.pagesToVerify);
  std::fflush(settings.stream);
  progressShown = true;
}

void ConsoleReporter::PrintLine(const char* line) {
  const bool failure = std::strncmp(line, failurePrefix, prefixLength) == 0;
  const bool progress = std::strncmp(line, progressPrefix, prefixLength) == 0;
  const char* text = (failure || progress) ? line + prefixLength : line;
  EraseProgress();
  if (settings.colour && (failure || progress)) {
    std::fprintf(settings.stream, "%s%s%s\n", failure ? red : blue, text, plain);
  } else {
    std::fprintf(settings.stream, "%s\n", text);
  }
  std::fflush(settings.stream);
}

void ConsoleReporter::CountPage(PageWork work) {
  if (work == PageWork::written) ++pagesWritten;
  else ++pagesVerified;
  if (settings.progress) DrawProgress();
}
