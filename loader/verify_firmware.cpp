// Checking the three controllers against the built-in images without
// writing anything: the firmware load's verification, minus its control
// bytes, going on past a differing page so that every difference is seen.
#include <cstdio>

#include "link/boot_link.h"
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

// Reads every present page of the controller's range. Returns what the walk
// returns (a difference does not end it); *differs tells whether any page
// differed.
PageResult ComparePages(RunContext& run, const ControllerLayout& controller, const PageTable& table,
                 bool* differs) {
  return ForEachPresentPage(
      run, table, firmwareBase, controller.firmwareEnd, firmwareBase, PageWork::verified,
      [&](uint32_t address, const uint8_t* expected) {
        const PageResult read = ReadPageStep(run, address);
        if (read != PageResult::done) return read;
        PageDifference difference{controller.number, address, 0, 0, 0, 0};
        if (Compare(expected, PageRead(run), &difference)) {
          *differs = true;
          ReportDifference(run, difference);
        }
        return PageResult::done;
      });
}

StepResult CheckController(RunContext& run, const ControllerLayout& controller,
                           const PageTable& table, bool* differs) {
  char line[96];
  std::snprintf(line, sizeof line, "Контроллер %d - проверка", controller.number);
  Log(run, LineKind::progress, line);
  if (const StepResult result = SelectControllerStep(run, controller); Ends(result)) return result;
  const PageResult pages = ComparePages(run, controller, table, differs);
  if (pages != PageResult::done) return StepOf(pages);
  // As in the firmware load, a controller without a control byte ends with a
  // query; the others' closing control byte is what verify leaves out.
  return controller.controlByte ? StepResult::done : SyncStep(run);
}

}  // namespace

Outcome VerifyFirmware(RunContext& run, const FirmwareTables& tables) {
  BeginJob(run);
  if (const StepResult result = MakeContact(run); Ends(result)) return NoContact(run, result);
  bool anyDiffers = false;
  for (int k = 0; k < controllerCount; ++k) {
    bool differs = false;
    const StepResult result = CheckController(run, controllerLayouts[k], *tables[k], &differs);
    if (Ends(result)) return Abandon(run, result);
    if (differs) Log(run, LineKind::failure, "Ошибка!!!.");
    anyDiffers = anyDiffers || differs;
  }
  // A device whose firmware reads back wrong must not be started: it stays
  // in its bootloaders, ready for a load.
  if (anyDiffers) return Outcome::failed;
  Log(run, LineKind::progress, "Проверка прошла.");
  return StartApplication(run);
}
