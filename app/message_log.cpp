#include "app/message_log.h"

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>

#include "app/main_window.h"
#include "loader/report.h"

void AppendLogLine(const char* line) { logBrowser->add(line); }

void WorkerLogLine(const char* line) {
  Fl::lock();
  logBrowser->add(line);
  Fl::unlock();
  // The pointer form: the callback form queues and drops calls when busy.
  Fl::awake(logBrowser);
}

void InstallGuiLogSink() { SetLogSink(WorkerLogLine); }
