// Reading the three controllers' application areas back, selected as the
// firmware check selects them, so that a device's firmware can be kept as a
// set: nothing is erased or written, and no control byte is sent.
#include <cstdio>
#include <vector>

#include "link/boot_link.h"
#include "loader/procedure_steps.h"

namespace {

uint32_t AreaSize(const ControllerLayout& controller) {
  return controller.firmwareEnd - firmwareBase;
}

StepResult ReadController(RunContext& run, const ControllerLayout& controller,
                          std::vector<uint8_t>& area) {
  char line[96];
  std::snprintf(line, sizeof line, "Контроллер %d - чтение", controller.number);
  Log(run, LineKind::progress, line);
  if (const StepResult result = SelectControllerStep(run, controller); Ends(result)) return result;
  area.assign(AreaSize(controller), erasedByte);
  const PageResult pages = ReadEveryPage(run, firmwareBase, controller.firmwareEnd, area.data());
  if (pages != PageResult::done) return StepOf(pages);
  // As in the check, a controller without a control byte ends with a query.
  return controller.controlByte ? StepResult::done : SyncStep(run);
}

}  // namespace

int CountFirmwareAreaPages() {
  int pages = 0;
  for (const ControllerLayout& controller : controllerLayouts) {
    pages += int(AreaSize(controller) / pageSize);
  }
  return pages;
}

Outcome ReadFirmware(RunContext& run, FirmwareMemory* memory) {
  BeginJob(run);
  if (const StepResult result = MakeContact(run); Ends(result)) return NoContact(run, result);
  for (int k = 0; k < controllerCount; ++k) {
    const StepResult result = ReadController(run, controllerLayouts[k], (*memory)[k]);
    if (Ends(result)) return Abandon(run, result);
  }
  Log(run, LineKind::progress, "Чтение прошло.");
  return StartApplication(run);
}
