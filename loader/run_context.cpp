#include "loader/run_context.h"

#include <cstdio>

void TraceToStandardError(const char* line) { std::fprintf(stderr, "%s\n", line); }

RunContext::RunContext(BootLink& deviceLink) : link(deviceLink) {
  reports.trace = TraceToStandardError;
  link.stop = &stopRequested;
}

RunContext::~RunContext() { link.stop = nullptr; }

void Log(RunContext& run, LineKind kind, const char* text) {
  if (run.reports.log) run.reports.log(kind, text);
}

void ReportPage(RunContext& run, PageWork work, uint32_t address) {
  if (run.reports.page) run.reports.page(work, address);
}

void ReportDifference(RunContext& run, const PageDifference& difference) {
  if (run.reports.difference) run.reports.difference(difference);
}

void Trace(RunContext& run, const char* line) {
  if (run.reports.trace) run.reports.trace(line);
}
