// Checking the three controllers against the built-in images without
// writing anything: the firmware load's verification, minus its control
// bytes, going on past a differing page so that every difference is seen.
#include <cstdio>

#include "link/boot_link.h"
#include "loader/firmware/firmware_images.h"
#include "loader/procedure_steps.h"

namespace {

// Fills `difference` and returns true when the read page differs.
bool Compare(const uint8_t* expected, const uint8_t* found, PageDifference* difference) {
  difference->differingBytes = 0;
  for (int i = 0; i < pageSize; ++i) {
    if (expected[i] == found[i]) continue;
    if (difference->differingBytes++ == 0) {
      difference->firstOffset = i;
      difference->expected = expected[i];
      difference->found = found[i];
    }
  }
  return difference->differingBytes > 0;
}

// Reads every present page of the controller's range. Returns 0 or the
// failing read's result; *differs tells whether any page differed.
int ComparePages(RunContext& run, const FirmwareController& controller, const PageTable& table,
                 bool* differs) {
  for (uint32_t address = firmwareBase; address < controller.rangeEnd; address += pageSize) {
    const uint8_t* expected = PresentPage(table, address, firmwareBase);
    if (expected == nullptr) continue;
    if (StopRequested(run)) return stepStopped;
    run.step.kind = StepKind::read;
    run.step.address = address;
    if (const int result = run.link.ReadPage(address, run.readBuffer)) return result;
    PageDifference difference{controller.number, address, 0, 0, 0, 0};
    if (Compare(expected, run.readBuffer + readAnswerHeaderLength, &difference)) {
      *differs = true;
      ReportDifference(run, difference);
    }
    ReportPage(run, PageWork::verified, address);
  }
  return 0;
}

int CheckController(RunContext& run, const FirmwareController& controller,
                    const PageTable& table, bool* differs) {
  char line[96];
  std::snprintf(line, sizeof line, "@C4Контроллер %d - проверка", controller.number);
  Log(run, line);
  const int selected = controller.channel == 0 ? SelectController3Step(run)
                                               : SelectChannelStep(run, controller.channel);
  if (selected != 0) return selected;
  if (const int result = ComparePages(run, controller, table, differs)) return result;
  return controller.channel == 0 ? SyncStep(run) : 0;
}

}  // namespace

Outcome VerifyFirmware(RunContext& run, const FirmwareTables& tables) {
  BeginJob(run);
  if (const int result = MakeContact(run)) return NoContact(run, result);
  bool anyDiffers = false;
  for (int k = 0; k < 3; ++k) {
    bool differs = false;
    if (const int result = CheckController(run, firmwareControllers[k], *tables[k], &differs)) {
      return Abandon(run, result);
    }
    if (differs) Log(run, "@C1Ошибка!!!.");
    anyDiffers = anyDiffers || differs;
  }
  // A device whose firmware reads back wrong must not be started: it stays
  // in its bootloaders, ready for a load.
  if (anyDiffers) return Outcome::failed;
  Log(run, "@C4Проверка прошла.");
  return StartApplication(run);
}
