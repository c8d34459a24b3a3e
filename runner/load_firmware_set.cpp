#include "runner/load_firmware_set.h"

#include "runner/job_identity.h"

FirmwareSetStatus LoadFirmwareSet(const std::string& folder, FirmwareSet& set,
                                  FirmwareSetProblem& problem) {
  const FirmwareSetStatus status = ReadFirmwareSet(folder, set, problem);
  if (status == FirmwareSetStatus::ok) set.sha256 = FirmwareSha256(SetTables(set));
  return status;
}
