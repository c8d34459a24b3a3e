// The one way the program pauses: whole milliseconds, as precise as the
// platform's timer allows.
#pragma once

void SleepMilliseconds(int milliseconds);
