#include "cli/console_report.h"

#include <algorithm>

#include "cli/log_line.h"
#include "cli/terminal_default.h"
#include "cli/text_columns.h"

namespace {

constexpr char eraseLine[] = "\r\x1b[K";

}  // namespace

ConsoleReporter::ConsoleReporter(const ConsoleReportSettings& newSettings)
    : settings(newSettings), started(std::chrono::steady_clock::now()) {
  pages.toWrite = settings.pagesToWrite;
  pages.toVerify = settings.pagesToVerify;
}

void ConsoleReporter::Attach(ReportSinks* sinks) {
  attached = sinks;
  sinks->log = [this](LineKind kind, const char* text) { PrintLine(kind, text); };
  sinks->page = [this](PageWork work, uint32_t) { CountPage(work); };
}

void ConsoleReporter::End() {
  if (attached != nullptr) {
    attached->log = nullptr;
    attached->page = nullptr;
    attached = nullptr;
  }
  EraseProgress();
  if (!lastShown) {
    Print({lastKind, lastLine.c_str()});
    lastShown = true;
  }
  if (settings.stream != nullptr) std::fflush(settings.stream);
}

// Without escapes the line is blanked by spaces: a terminal that knows no
// control sequences still knows a carriage return.
void ConsoleReporter::EraseProgress() {
  if (progressColumns == 0) return;
  if (settings.colour) {
    std::fputs(eraseLine, settings.stream);
  } else {
    std::fprintf(settings.stream, "\r%*s\r", progressColumns, "");
  }
  progressColumns = 0;
}

void ConsoleReporter::DrawProgress() {
  const int columns = settings.columns ? settings.columns() : defaultTerminalColumns;
  const int seconds = static_cast<int>(
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
          .count());
  const std::string text = ProgressLine(pages, seconds, columns - keptFreeColumns);
  const int shown = TextColumns(text);
  if (settings.colour) {
    std::fprintf(settings.stream, "%s%s", eraseLine, text.c_str());
  } else {
    const int leftOver = std::min(progressColumns, columns - keptFreeColumns) - shown;
    std::fprintf(settings.stream, "\r%s%*s", text.c_str(), leftOver > 0 ? leftOver : 0, "");
  }
  std::fflush(settings.stream);
  progressColumns = std::max(shown, 1);
}

void ConsoleReporter::Print(const LogLine& line) {
  EraseProgress();
  std::fprintf(settings.stream, "%s\n", ShownLine(line, settings.colour).c_str());
  std::fflush(settings.stream);
}

void ConsoleReporter::PrintLine(LineKind kind, const char* text) {
  if (settings.quiet) {
    lastKind = kind;
    lastLine = text;
    lastShown = kind == LineKind::failure;
    if (!lastShown) return;
  }
  Print({kind, text});
}

void ConsoleReporter::CountPage(PageWork work) {
  ::CountPage(&pages, work);
  if (settings.progress) DrawProgress();
}
