// Jobs against the device model with a fault schedule drawn at random, each
// checked afterwards against what the device itself holds and heard,
// whatever the job's log said. In-process over ModelLine, so that thousands
// of jobs take seconds; every job has a seed of its own, printed with any
// violation, and the same seed draws the same job again.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sim/device_model.h"
#include "tests/support/chaos_jobs.h"

struct ChaosSchedule {
  uint64_t seed = 0;
  JobKind job = JobKind::firmware;
  SimFaults faults;
  int eraseLatencyMs = 0;  // before each erase answer, on the line's clock
  int writeLatencyMs = 0;
  int stopAtWrite = 0;  // the tool's nth write asks the job to stop; 0: never
  std::array<uint8_t, 2 * pageSize> coefficients{};  // the write job's file
  std::string Describe() const;
};

ChaosSchedule DrawChaosSchedule(uint64_t seed);

// A job's end and the device after it, as the checks see them.
struct ChaosObservation {
  JobOutcome end;
  std::vector<std::string> log;
  std::array<std::vector<uint8_t>, simControllerCount> memoryBefore;
  const DeviceModel* device;
  std::vector<ChaosPage> pages;  // what the job may touch
  // The rows the job added to the record, each as column name -> text.
  std::vector<std::map<std::string, std::string>> rows;
};

// Each broken invariant as a line; none when the job kept them all.
std::vector<std::string> CheckChaosInvariants(const ChaosObservation& seen);

struct ChaosVerdict {
  JobOutcome end = JobOutcome::failed;
  std::vector<std::string> violations;
};

// The record the job's row goes to: a file in `folder`, as velt-flash keeps
// it (one run's jobs share it). "" gives each job a folder of its own.
ChaosVerdict RunChaosCase(const ChaosSchedule& schedule, const std::string& folder = "");

// The rows of a record file after its first `skip` bytes (the header when
// 0), each as column name -> text; *end is where the last whole row ends.
std::vector<std::map<std::string, std::string>> ReadRecordRows(const std::string& path, size_t skip,
                                                               size_t* end);

struct ChaosTally {
  int jobs = 0;
  std::array<int, chaosEndKinds> ends{};
  std::array<int, chaosJobKinds> kinds{};
  std::vector<uint64_t> violatingSeeds;
};

// Job k draws its schedule from the seed ChaosJobSeed(seed, k).
uint64_t ChaosJobSeed(uint64_t seed, int job);
ChaosTally RunChaos(int jobs, uint64_t seed,
                    const std::function<void(const ChaosSchedule&, const ChaosVerdict&)>& onViolation);
