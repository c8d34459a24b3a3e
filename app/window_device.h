// The window's one device: the serial port, the bootloader link bound to it
// (cm) and the run context every job of the window runs in. The GUI thread
// uses the port for the start-up probe; afterwards the running worker alone
// owns all three.
#pragma once

#include "link/boot_link.h"
#include "link/com_port.h"
#include "loader/run_context.h"

extern ComPort comPort;
extern BootLink cm;
extern RunContext windowRun;
