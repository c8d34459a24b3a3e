// The firmware load: write all three controllers, then verify all three,
// then start the application.
#include <cstdio>

#include "link/boot_link.h"
#include "loader/procedure_steps.h"

namespace {

void LogStage(RunContext& run, const char* format, int number) {
  char line[96];
  std::snprintf(line, sizeof line, format, number);
  Log(run, line);
}

// A controller without a control byte is asked for its presence once its
// pages are done instead.
int WriteController(RunContext& run, const ControllerLayout& controller,
                    const PageTable& table) {
  LogStage(run, "@C4Контроллер %d - запись", controller.number);
  if (const int result = SelectControllerStep(run, controller)) return result;
  if (controller.controlByte) {
    if (const int result = ControlByteStep(run, controlByteBeforeWrite)) return result;
    if (const int result = NullCommandStep(run, 0)) return result;
  }
  if (const int result =
          WritePageRange(run, table, firmwareBase, controller.firmwareEnd, firmwareBase)) {
    return result;
  }
  return controller.controlByte ? 0 : SyncStep(run);
}

int VerifyController(RunContext& run, const ControllerLayout& controller,
                     const PageTable& table) {
  LogStage(run, "@C4Контроллер %d - проверка", controller.number);
  if (const int result = SelectControllerStep(run, controller)) return result;
  // The trace names the query that followed controller 3's own selection.
  if (controller.selection == ControllerSelection::ownCommand) Trace(run, "cm.Sync() 3");
  if (const int result =
          VerifyPageRange(run, table, firmwareBase, controller.firmwareEnd, firmwareBase)) {
    return result;
  }
  if (!controller.controlByte) return SyncStep(run);
  if (const int result = ControlByteStep(run, controlByteAfterVerify)) return result;
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
  if (const int result = MakeContact(run)) return NoContact(run, result);
  for (int k = 0; k < controllerCount; ++k) {
    if (const int result = WriteController(run, controllerLayouts[k], *tables[k])) {
      return Abandon(run, result);
    }
  }
  Log(run, "@C4Контроллеры загружены.");
  for (int k = 0; k < controllerCount; ++k) {
    if (const int result = VerifyController(run, controllerLayouts[k], *tables[k])) {
      return Abandon(run, result);
    }
  }
  Log(run, "@C4Проверка прошла.");
  return StartApplication(run);
}
