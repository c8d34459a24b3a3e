// How the procedures report: log lines ("@C4..." progress, "@C1..." failure)
// and per-page progress, each to a sink the front end installs. Without a
// sink, reports are dropped.
#pragma once

#include <cstdint>

enum class PageWork { written, verified };

using LogSink = void (*)(const char* line);
using PageSink = void (*)(PageWork work, uint32_t address);

void SetLogSink(LogSink sink);
void SetPageSink(PageSink sink);

void logMessage(const char* line);
void ReportPage(PageWork work, uint32_t address);
