// The window's job record: started as `velt-loader --record FILE`, the
// window appends one row per job to FILE, as velt-flash does; a row that
// cannot be written is said in the log and the window carries on.
#pragma once

#include <string>

#include "runner/job.h"
#include "runner/run_job.h"

// Set once by the entry point; "" records nothing.
extern std::string recordPath;

// "--record FILE" or "--record=FILE"; every other argument is ignored, as
// the window always has. "" without one.
std::string RecordPathFromArguments(int argc, const char* const* argv);

// From the worker, once its job has ended: the job's row.
void RecordWindowJob(const Job& job, const JobResult& result);
