#include "loader/run_context.h"

#include <cstdio>

void TraceToStandardError(const char* line) { std::fprintf(stderr, "%s\n", line); }

RunContext::RunContext(BootLink& deviceLink) : link(deviceLink) {
  reports.trace = TraceToStandardError;
}

void Log(RunContext& run, const char* line) {
  if (run.reports.log) run.reports.log(line);
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
