// The harness's one contact with the loader: which jobs it runs, how it runs
// one on a run context, which pages each one may touch and with what, and
// whether its log said that the application started.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "loader/page_table.h"
#include "loader/run_context.h"

enum class ChaosJob { firmware, write, reset };
constexpr int chaosJobKinds = 3;

// What a job ended with, in the terms of velt-flash's exit statuses.
enum class ChaosEnd { started, startNotConfirmed, failed, noAnswer, stopped };
constexpr int chaosEndKinds = 5;

const char* ChaosJobName(ChaosJob job);
const char* ChaosEndName(ChaosEnd end);

// One page a job erases, writes and verifies, and the bytes it must hold.
struct ChaosPage {
  int controller;  // 1..3
  uint32_t address;
  const uint8_t* image;  // pageSize bytes
};

// `coefficients` is the file's two-page table for the write job. The job's
// trace line is dropped: thousands of jobs would bury the report in it.
ChaosEnd RunChaosJob(ChaosJob job, RunContext& run, const PageTable& coefficients);
std::vector<ChaosPage> ChaosJobPages(ChaosJob job, const PageTable& coefficients);
bool LogSaysStarted(const std::vector<std::string>& log);
