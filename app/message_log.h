// The log at the bottom of the main window. Every line starts with "@C1"
// (red: a failure or refusal) or "@C4" (blue: progress); the browser draws
// the colour and hides the prefix.
#pragma once

#include <string>
#include <vector>

#include "loader/report.h"

// Appends a line on the GUI thread, which already holds the toolkit lock.
void AppendLogLine(const char* line);

// Appends a line from a worker thread: one short locked section, then a
// wake-up so the event loop draws it.
void logMessage(const char* line);

// A job's line as the log's browser takes it: "@C1" before a failure, "@C4"
// before progress.
std::string MarkedLine(LineKind kind, const char* text);

// Makes logMessage, by way of MarkedLine, where the window's jobs log
// (windowRun).
void InstallGuiLogSink();

// GUI thread, once the log exists and before any worker starts: measures
// its font for the split lines below.
void PrepareLogSplitting();

// How wide a split line may be: the log's text area at the window's
// minimum width, with the vertical scroll bar shown.
int SplitLogWidth();

// A line the window adds beyond the procedures' own (a refusal's reason, a
// save's result) as the lines it becomes: each fits SplitLogWidth and keeps
// the colour prefix. A part that starts with a digit or '@' gets "@." after
// the prefix, so that the browser does not take it for a format code.
std::vector<std::string> SplitLogLine(const std::string& line);

// Such a line appended on the GUI thread, and from a worker, which logs it
// through the job's run context as a whole (one locked section for all its
// parts).
void AppendSplitLogLine(const std::string& line);
void WorkerSplitLogLine(const std::string& line);

// While it lives, every line the worker that made it logs is split so: the
// line probe's lines are longer than the log is wide. Short lines stay whole.
class SplitWorkerLines {
 public:
  SplitWorkerLines();
  ~SplitWorkerLines();
  SplitWorkerLines(const SplitWorkerLines&) = delete;
  SplitWorkerLines& operator=(const SplitWorkerLines&) = delete;

 private:
  bool before;
};
