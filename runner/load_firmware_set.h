// A firmware set for the programs: read as the build reads it, with the
// digest the job record keeps for it. Apart from the reader because the
// digest's definition lives with the record, which the build step that
// compiles the images in must not need.
#pragma once

#include <string>

#include "firmware/firmware_set.h"
#include "loader/procedures.h"

// ReadFirmwareSet, then set.sha256 as the record's firmware_sha256 of the
// set's tables. The same statuses.
FirmwareSetStatus LoadFirmwareSet(const std::string& folder, FirmwareSet& set,
                                  FirmwareSetProblem& problem);

// The set a read-out found in `memory` (SetFromMemory), with its digest.
FirmwareSet ReadOutSet(const FirmwareMemory& memory);
