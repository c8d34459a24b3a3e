// How the Win32 port changes what the driver reports at open: the line to
// 57600 8N1 with all flow control off and DTR/RTS held inactive, and reads
// that return at once with what is waiting. Everything else is kept.
#pragma once

#include <windows.h>

#include "link/com_port.h"

constexpr DWORD portReadWaitMilliseconds = readWaitMilliseconds;

void ApplyLineSettings(DCB& dcb);
void ApplyReadTimeouts(COMMTIMEOUTS& timeouts);
