// The firmware load: write all three controllers, then verify all three,
// then start the application.
#include <cstdio>

#include "link/boot_link.h"
#include "loader/firmware/firmware_images.h"
#include "loader/procedure_steps.h"
#include "loader/report.h"

namespace {

void LogStage(const char* format, int number) {
  char line[96];
  std::snprintf(line, sizeof line, format, number);
  logMessage(line);
}

int WriteController(const FirmwareController& controller, const PageTable& table) {
  LogStage("@C4Контроллер %d - запись", controller.number);
  if (controller.channel == 0) {
    if (const int result = SelectController3Step()) return result;
    if (const int result = WritePageRange(table, firmwareBase, controller.rangeEnd, firmwareBase)) {
      return result;
    }
    return SyncStep();
  }
  if (const int result = SelectChannelStep(controller.channel)) return result;
  if (const int result = ControlByteStep(controlByteBeforeWrite)) return result;
  if (const int result = NullCommandStep(0)) return result;
  return WritePageRange(table, firmwareBase, controller.rangeEnd, firmwareBase);
}

int VerifyController(const FirmwareController& controller, const PageTable& table) {
  LogStage("@C4Контроллер %d - проверка", controller.number);
  if (controller.channel == 0) {
    if (const int result = SelectController3Step()) return result;
    std::fprintf(stderr, "cm.Sync() 3\n");
    if (const int result = VerifyPageRange(table, firmwareBase, controller.rangeEnd, firmwareBase)) {
      return result;
    }
    return SyncStep();
  }
  if (const int result = SelectChannelStep(controller.channel)) return result;
  if (const int result = VerifyPageRange(table, firmwareBase, controller.rangeEnd, firmwareBase)) {
    return result;
  }
  if (const int result = ControlByteStep(controlByteAfterVerify)) return result;
  return NullCommandStep(0);
}

}  // namespace

Outcome LoadFirmware(const FirmwareTables& tables) {
  ClearStopRequest();
  cm.noContact = 0;
  if (const int result = MakeContact()) return NoContact(result);
  for (int k = 0; k < 3; ++k) {
    if (const int result = WriteController(firmwareControllers[k], *tables[k])) {
      return Abandon(result);
    }
  }
  logMessage("@C4Контроллеры загружены.");
  for (int k = 0; k < 3; ++k) {
    if (const int result = VerifyController(firmwareControllers[k], *tables[k])) {
      return Abandon(result);
    }
  }
  logMessage("@C4Проверка прошла.");
  return StartApplication();
}
