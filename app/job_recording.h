// The window's job record: started as `velt-loader --record FILE`, the
// window appends one row per job to FILE, as velt-flash does. The file is
// opened at start; when it cannot be, or a row cannot be written, the log
// says so with the reason and the window carries on.
#pragma once

#include <optional>
#include <string>

#include "runner/job.h"
#include "runner/run_job.h"

// Set by the entry point; "" records nothing.
extern std::string recordPath;

// The file of "--record FILE" or "--record=FILE"; "" for "--record" without
// one; none without the option. Every other argument is ignored, as the
// window always has.
std::optional<std::string> RecordPathFromArguments(int argc, const char* const* argv);

// GUI thread, once the log exists: takes the option and opens the record,
// saying in the log what keeps it from being kept.
void OpenWindowRecord(const std::optional<std::string>& path);

// From the worker, once its job has ended: the job's row.
void RecordWindowJob(const Job& job, const JobResult& result);

// How many rows could not be written since the program started: an exit
// that waited for a job compares it before and after.
int LostRowCount();
