#include "tests/support/chaos_jobs.h"

#include "firmware/firmware_images.h"
#include "link/device_layout.h"
#include "loader/procedures.h"
#include "runner/exit_status.h"

namespace {

const char* const startedLine = "@C4Запуск.";

void AddPresentPages(int controller, const PageTable& table, uint32_t start, uint32_t end,
                     uint32_t base, std::vector<ChaosPage>* pages) {
  for (uint32_t address = start; address < end; address += pageSize) {
    const uint8_t* page = PresentPage(table, address, base);
    if (page != nullptr) pages->push_back({controller, address, page});
  }
}

}  // namespace

int ChaosEndIndex(JobOutcome end) {
  for (int e = 0; e < chaosEndKinds; ++e) {
    if (chaosEnds[e] == end) return e;
  }
  return ChaosEndIndex(JobOutcome::failed);
}

int ChaosJobIndex(JobKind job) {
  for (int k = 0; k < chaosJobKinds; ++k) {
    if (chaosJobs[k] == job) return k;
  }
  return 0;
}

std::string ChaosEndName(JobOutcome end) {
  return std::string(OutcomeName(end)) + " (" + std::to_string(ExitStatusOf(end)) + ")";
}

JobOutcome RunChaosJob(JobKind job, RunContext& run, const PageTable& coefficients) {
  run.reports.trace = nullptr;
  switch (job) {
    case JobKind::firmware:
      return JobOutcomeOf(LoadFirmware(run, BuiltInFirmwareTables()));
    case JobKind::write:
      return JobOutcomeOf(WriteCoefficients(run, coefficients));
    case JobKind::reset:
      return JobOutcomeOf(ResetCoefficients(run, BuiltInFirmwareTables()));
    case JobKind::verify:
    case JobKind::saveCoefficients:
    case JobKind::readFirmware:
    case JobKind::probe:
      break;  // they only read: not among chaosJobs
  }
  return JobOutcome::failed;
}

std::vector<ChaosPage> ChaosJobPages(JobKind job, const PageTable& coefficients) {
  std::vector<ChaosPage> pages;
  const FirmwareTables tables = BuiltInFirmwareTables();
  const int coefficientsOn = coefficientController.number;
  switch (job) {
    case JobKind::firmware:
      for (int c = 0; c < controllerCount; ++c) {
        AddPresentPages(controllerLayouts[c].number, *tables[c], firmwareBase,
                        controllerLayouts[c].firmwareEnd, firmwareBase, &pages);
      }
      break;
    case JobKind::write:
      AddPresentPages(coefficientsOn, coefficients, coefficientPagesStart, coefficientPagesEnd,
                      coefficientPagesStart, &pages);
      break;
    case JobKind::reset:
      AddPresentPages(coefficientsOn, *tables[0], coefficientPagesStart, coefficientPagesEnd,
                      firmwareBase, &pages);
      break;
    case JobKind::verify:
    case JobKind::saveCoefficients:
    case JobKind::readFirmware:
    case JobKind::probe:
      break;  // they write no page
  }
  return pages;
}

bool LogSaysStarted(const std::vector<std::string>& log) {
  for (const std::string& line : log) {
    if (line == startedLine) return true;
  }
  return false;
}
