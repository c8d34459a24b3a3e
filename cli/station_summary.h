// The end of a station's run: one line per device, in --port order.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "runner/run_job.h"

// "ttyUSB3: итог: запущено, код 0, 41.3 с" (the port printable).
std::string SummaryLine(const JobResult& result);

// Blue for a device that ended with 0, red for the others, when `colour`.
void PrintSummary(const std::vector<JobResult>& results, bool colour, std::FILE* stream);
