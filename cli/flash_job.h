// One run of velt-flash: check the file, open the port, run the procedure
// the window's button would run, close the port, and say how it went.
#pragma once

#include "cli/flash_arguments.h"

// Returns the exit status (cli/exit_status.h).
int RunFlashJob(const FlashArguments& arguments);
