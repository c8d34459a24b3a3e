#include "runner/load_firmware_set.h"

#include "firmware/firmware_set_output.h"
#include "runner/job_identity.h"

FirmwareSetStatus LoadFirmwareSet(const std::string& folder, FirmwareSet& set,
                                  FirmwareSetProblem& problem) {
  const FirmwareSetStatus status = ReadFirmwareSet(folder, set, problem);
  if (status == FirmwareSetStatus::ok) set.sha256 = FirmwareSha256(SetTables(set));
  return status;
}

FirmwareSet ReadOutSet(const FirmwareMemory& memory) {
  FirmwareSet set = SetFromMemory(memory);
  set.sha256 = FirmwareSha256(SetTables(set));
  return set;
}
