// One run of velt-flash: check the file, then the job on each port, and say
// how it went: one port straight on the console, several as a station.
#pragma once

#include <vector>

#include "cli/flash_arguments.h"
#include "cli/port_listing.h"

// Returns the exit status (runner/exit_status.h, cli/exit_rule.h).
int RunFlashJob(const FlashArguments& arguments, const std::vector<DevicePort>& ports);
