// The harness's one contact with the loader: which jobs it runs, how it runs
// one on a run context, which pages each one may touch and with what, and
// whether its log said that the application started.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "loader/page_table.h"
#include "loader/run_context.h"
#include "runner/job_kind.h"
#include "runner/job_outcome.h"

// The jobs that write, which the harness draws from.
constexpr JobKind chaosJobs[] = {JobKind::firmware, JobKind::write, JobKind::reset};
constexpr int chaosJobKinds = 3;

// The ends a job can have once its port is open and its file read.
constexpr JobOutcome chaosEnds[] = {JobOutcome::started, JobOutcome::startNotConfirmed,
                                    JobOutcome::failed, JobOutcome::noAnswer,
                                    JobOutcome::stopped};
constexpr int chaosEndKinds = 5;

// Where `end` is counted among chaosEnds, and where `job` among chaosJobs.
int ChaosEndIndex(JobOutcome end);
int ChaosJobIndex(JobKind job);
// "started (0)", "failed (1)", ...
std::string ChaosEndName(JobOutcome end);

// One page a job erases, writes and verifies, and the bytes it must hold.
struct ChaosPage {
  int controller;  // 1..3
  uint32_t address;
  const uint8_t* image;  // pageSize bytes
};

// `coefficients` is the file's two-page table for the write job. The job's
// trace line is dropped: thousands of jobs would bury the report in it.
JobOutcome RunChaosJob(JobKind job, RunContext& run, const PageTable& coefficients);
std::vector<ChaosPage> ChaosJobPages(JobKind job, const PageTable& coefficients);
bool LogSaysStarted(const std::vector<std::string>& log);
