// Which firmware velt-flash's jobs move: the built-in images, or the set of
// --firmware, read once before any port is opened; and firmware-info, which
// says what either holds.
#pragma once

#include <optional>
#include <string>

#include "firmware/firmware_set.h"
#include "loader/procedures.h"

struct FirmwareChoice {
  FirmwareTables tables{};
  std::string release;  // "" for the built-in images
  std::optional<FirmwareSet> set;  // the tables point into it when it is there
};

// The set in `folder`, or the built-in images for "". Returns 0, or
// exitFileRejected after saying on stderr which file, line and why.
int ChooseFirmware(const std::string& folder, FirmwareChoice* choice);

// firmware-info: the release, each controller's pages and range, the digest.
// Returns the exit status.
int PrintFirmwareInfo(const std::string& folder);
