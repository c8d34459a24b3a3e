#include "sim/sim_preload.h"

#include "firmware/firmware_set.h"

int PreloadFirmwareSet(const std::string& folder, SimOptions* device, std::string* error) {
  FirmwareSet set;
  FirmwareSetProblem problem;
  if (ReadFirmwareSet(folder, set, problem) != FirmwareSetStatus::ok) {
    *error = DescribeFirmwareSetProblem(problem);
    return -1;
  }
  for (int k = 0; k < controllerCount; ++k) {
    const PageTable& table = set.controllers[k].table;
    for (uint32_t address = firmwareBase; address < controllerLayouts[k].firmwareEnd;
         address += pageSize) {
      const uint8_t* page = table.pages[(address - firmwareBase) / pageSize];
      if (page == nullptr) continue;
      device->preload.push_back({controllerLayouts[k].number, address,
                                 std::vector<uint8_t>(page, page + pageSize)});
    }
  }
  return 0;
}
