// The firmware load: write all three controllers, then verify all three,
// then start the application.
#include <cstdio>

#include "link/boot_link.h"
#include "loader/procedure_steps.h"

namespace {

void LogStage(RunContext& run, const char* format, int number) {
  char line[96];
  std::snprintf(line, sizeof line, format, number);
  Log(run, LineKind::progress, line);
}

// A controller without a control byte is asked for its presence once its
// pages are done instead.
StepResult WriteController(RunContext& run, const ControllerLayout& controller,
                    const PageTable& table) {
  LogStage(run, "Контроллер %d - запись", controller.number);
  if (const StepResult result = SelectControllerStep(run, controller); Ends(result)) return result;
  if (controller.controlByte) {
    if (const StepResult result = ControlByteStep(run, controlByteBeforeWrite); Ends(result)) {
      return result;
    }
    if (const StepResult result = NullCommandStep(run, 0); Ends(result)) return result;
  }
  const PageResult pages =
      WritePageRange(run, table, firmwareBase, controller.firmwareEnd, firmwareBase);
  if (pages != PageResult::done) return StepOf(pages);
  return controller.controlByte ? StepResult::done : SyncStep(run);
}

StepResult VerifyController(RunContext& run, const ControllerLayout& controller,
                     const PageTable& table) {
  LogStage(run, "Контроллер %d - проверка", controller.number);
  if (const StepResult result = SelectControllerStep(run, controller); Ends(result)) return result;
  // The trace names the query that followed controller 3's own selection.
  if (controller.selection == ControllerSelection::ownCommand) Trace(run, "cm.Sync() 3");
  const PageResult pages =
      VerifyPageRange(run, table, firmwareBase, controller.firmwareEnd, firmwareBase);
  if (pages != PageResult::done) return StepOf(pages);
  if (!controller.controlByte) return SyncStep(run);
  if (const StepResult result = ControlByteStep(run, controlByteAfterVerify); Ends(result)) {
    return result;
  }
  return NullCommandStep(run, 0);
}

}  // namespace

int CountFirmwarePages(const FirmwareTables& tables) {
  int pages = 0;
  for (int k = 0; k < controllerCount; ++k) {
    pages += CountPresentPages(*tables[k], firmwareBase, controllerLayouts[k].firmwareEnd,
                               firmwareBase);
  }
  return pages;
}

Outcome LoadFirmware(RunContext& run, const FirmwareTables& tables) {
  BeginJob(run);
  if (const StepResult result = MakeContact(run); Ends(result)) return NoContact(run, result);
  for (int k = 0; k < controllerCount; ++k) {
    const StepResult result = WriteController(run, controllerLayouts[k], *tables[k]);
    if (Ends(result)) return Abandon(run, result);
  }
  Log(run, LineKind::progress, "Контроллеры загружены.");
  for (int k = 0; k < controllerCount; ++k) {
    const StepResult result = VerifyController(run, controllerLayouts[k], *tables[k]);
    if (Ends(result)) return Abandon(run, result);
  }
  Log(run, LineKind::progress, "Проверка прошла.");
  return StartApplication(run);
}
