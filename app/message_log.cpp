#include "app/message_log.h"

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>

#include "app/main_window.h"
#include "app/window_device.h"

void AppendLogLine(const char* line) { logBrowser->add(line); }

void logMessage(const char* line) {
  Fl::lock();
  logBrowser->add(line);
  Fl::unlock();
  // The pointer form: the callback form queues and drops calls when busy.
  Fl::awake(logBrowser);
}

void InstallGuiLogSink() { windowRun.reports.log = logMessage; }
