#include "app/message_log.h"

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Browser.H>

#include <cctype>

#include "app/line_split.h"
#include "app/log_text_width.h"
#include "app/main_window.h"
#include "app/window_device.h"

namespace {

constexpr int colourPrefixLength = 3;  // "@C1", "@C4"
const char* const failurePrefix = "@C1";
const char* const progressPrefix = "@C4";
// Fl_Browser draws a line's text 3 pixels in from either side.
constexpr int browserTextMargins = 6;
const char* const endOfFormat = "@.";

// Set with the font's widths, before any worker exists.
int splitWidth = 0;
// While a worker logs a line of the window's own: the log shows it split.
thread_local bool splittingWorkerLine = false;

bool NeedsEndOfFormat(const std::string& part) {
  if (part.empty()) return false;
  return part[0] == '@' || std::isdigit(static_cast<unsigned char>(part[0])) != 0;
}

}  // namespace

void AppendLogLine(const char* line) { logBrowser->add(line); }

void logMessage(const char* line) {
  const std::vector<std::string> parts =
      splittingWorkerLine ? SplitLogLine(line) : std::vector<std::string>{line};
  Fl::lock();
  for (const std::string& part : parts) logBrowser->add(part.c_str());
  Fl::unlock();
  // The pointer form: the callback form queues and drops calls when busy.
  Fl::awake(logBrowser);
}

std::string MarkedLine(LineKind kind, const char* text) {
  return (kind == LineKind::failure ? failurePrefix : progressPrefix) + std::string(text);
}

void InstallGuiLogSink() {
  windowRun.reports.log = [](LineKind kind, const char* text) {
    logMessage(MarkedLine(kind, text).c_str());
  };
}

void PrepareLogSplitting() {
  MeasureLogFont(logBrowser->textfont(), logBrowser->textsize());
  // Fl_Browser frames itself with FL_DOWN_BOX when it has no box of its own.
  const Fl_Boxtype box = logBrowser->box() != FL_NO_BOX ? logBrowser->box() : FL_DOWN_BOX;
  splitWidth = mainWindowWidth - Fl::box_dw(box) - Fl::scrollbar_size() - browserTextMargins;
}

int SplitLogWidth() { return splitWidth; }

std::vector<std::string> SplitLogLine(const std::string& line) {
  const std::string prefix = line.substr(0, colourPrefixLength);
  const std::string text = line.substr(prefix.size());
  std::vector<std::string> lines;
  for (const std::string& part : SplitToWidth(text, splitWidth, LogTextWidth)) {
    lines.push_back(prefix + (NeedsEndOfFormat(part) ? endOfFormat : "") + part);
  }
  return lines;
}

void AppendSplitLogLine(const std::string& line) {
  for (const std::string& part : SplitLogLine(line)) logBrowser->add(part.c_str());
}

void WorkerSplitLogLine(const std::string& line) {
  // Through the job's sinks, so that all its parts go in one locked section.
  const bool failure = line.compare(0, colourPrefixLength, failurePrefix) == 0;
  const SplitWorkerLines split;
  Log(windowRun, failure ? LineKind::failure : LineKind::progress,
      line.c_str() + colourPrefixLength);
}

SplitWorkerLines::SplitWorkerLines() : before(splittingWorkerLine) { splittingWorkerLine = true; }

SplitWorkerLines::~SplitWorkerLines() { splittingWorkerLine = before; }
