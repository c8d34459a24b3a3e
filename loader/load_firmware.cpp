// The firmware load: write all three controllers, then verify all three,
// then start the application.
#include <cstdio>

#include "link/boot_link.h"
#include "loader/firmware/firmware_images.h"
#include "loader/procedure_steps.h"

namespace {

void LogStage(RunContext& run, const char* format, int number) {
  char line[96];
  std::snprintf(line, sizeof line, format, number);
  Log(run, line);
}

int WriteController(RunContext& run, const FirmwareController& controller,
                    const PageTable& table) {
  LogStage(run, "@C4Контроллер %d - запись", controller.number);
  if (controller.channel == 0) {
    if (const int result = SelectController3Step(run)) return result;
    if (const int result =
            WritePageRange(run, table, firmwareBase, controller.rangeEnd, firmwareBase)) {
      return result;
    }
    return SyncStep(run);
  }
  if (const int result = SelectChannelStep(run, controller.channel)) return result;
  if (const int result = ControlByteStep(run, controlByteBeforeWrite)) return result;
  if (const int result = NullCommandStep(run, 0)) return result;
  return WritePageRange(run, table, firmwareBase, controller.rangeEnd, firmwareBase);
}

int VerifyController(RunContext& run, const FirmwareController& controller,
                     const PageTable& table) {
  LogStage(run, "@C4Контроллер %d - проверка", controller.number);
  if (controller.channel == 0) {
    if (const int result = SelectController3Step(run)) return result;
    Trace(run, "cm.Sync() 3");
    if (const int result =
            VerifyPageRange(run, table, firmwareBase, controller.rangeEnd, firmwareBase)) {
      return result;
    }
    return SyncStep(run);
  }
  if (const int result = SelectChannelStep(run, controller.channel)) return result;
  if (const int result =
          VerifyPageRange(run, table, firmwareBase, controller.rangeEnd, firmwareBase)) {
    return result;
  }
  if (const int result = ControlByteStep(run, controlByteAfterVerify)) return result;
  return NullCommandStep(run, 0);
}

}  // namespace

Outcome LoadFirmware(RunContext& run, const FirmwareTables& tables) {
  BeginJob(run);
  if (const int result = MakeContact(run)) return NoContact(run, result);
  for (int k = 0; k < 3; ++k) {
    if (const int result = WriteController(run, firmwareControllers[k], *tables[k])) {
      return Abandon(run, result);
    }
  }
  Log(run, "@C4Контроллеры загружены.");
  for (int k = 0; k < 3; ++k) {
    if (const int result = VerifyController(run, firmwareControllers[k], *tables[k])) {
      return Abandon(run, result);
    }
  }
  Log(run, "@C4Проверка прошла.");
  return StartApplication(run);
}
