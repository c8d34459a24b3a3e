#include "tests/support/chaos_jobs.h"

#include "firmware/firmware_images.h"
#include "loader/device_layout.h"
#include "loader/procedures.h"

namespace {

const char* const startedLine = "@C4Запуск.";

ChaosEnd EndOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::started:
      return ChaosEnd::started;
    case Outcome::startNotConfirmed:
      return ChaosEnd::startNotConfirmed;
    case Outcome::noAnswer:
      return ChaosEnd::noAnswer;
    case Outcome::stopped:
      return ChaosEnd::stopped;
    case Outcome::failed:
      break;
  }
  return ChaosEnd::failed;
}

void AddPresentPages(int controller, const PageTable& table, uint32_t start, uint32_t end,
                     uint32_t base, std::vector<ChaosPage>* pages) {
  for (uint32_t address = start; address < end; address += pageSize) {
    const uint8_t* page = PresentPage(table, address, base);
    if (page != nullptr) pages->push_back({controller, address, page});
  }
}

}  // namespace

const char* ChaosJobName(ChaosJob job) {
  switch (job) {
    case ChaosJob::firmware:
      return "firmware";
    case ChaosJob::write:
      return "write";
    case ChaosJob::reset:
      return "reset";
  }
  return "?";
}

const char* ChaosEndName(ChaosEnd end) {
  switch (end) {
    case ChaosEnd::started:
      return "started (0)";
    case ChaosEnd::startNotConfirmed:
      return "startNotConfirmed (3)";
    case ChaosEnd::failed:
      return "failed (1)";
    case ChaosEnd::noAnswer:
      return "noAnswer (2)";
    case ChaosEnd::stopped:
      return "stopped (130)";
  }
  return "?";
}

ChaosEnd RunChaosJob(ChaosJob job, RunContext& run, const PageTable& coefficients) {
  run.reports.trace = nullptr;
  switch (job) {
    case ChaosJob::firmware:
      return EndOf(LoadFirmware(run, BuiltInFirmwareTables()));
    case ChaosJob::write:
      return EndOf(WriteCoefficients(run, coefficients));
    case ChaosJob::reset:
      return EndOf(ResetCoefficients(run, BuiltInFirmwareTables()));
  }
  return ChaosEnd::failed;
}

std::vector<ChaosPage> ChaosJobPages(ChaosJob job, const PageTable& coefficients) {
  std::vector<ChaosPage> pages;
  const FirmwareTables tables = BuiltInFirmwareTables();
  const int coefficientsOn = coefficientController.number;
  switch (job) {
    case ChaosJob::firmware:
      for (int c = 0; c < controllerCount; ++c) {
        AddPresentPages(controllerLayouts[c].number, *tables[c], firmwareBase,
                        controllerLayouts[c].firmwareEnd, firmwareBase, &pages);
      }
      break;
    case ChaosJob::write:
      AddPresentPages(coefficientsOn, coefficients, coefficientPagesStart, coefficientPagesEnd,
                      coefficientPagesStart, &pages);
      break;
    case ChaosJob::reset:
      AddPresentPages(coefficientsOn, *tables[0], coefficientPagesStart, coefficientPagesEnd,
                      firmwareBase, &pages);
      break;
  }
  return pages;
}

bool LogSaysStarted(const std::vector<std::string>& log) {
  for (const std::string& line : log) {
    if (line == startedLine) return true;
  }
  return false;
}
