// The simulator's record of a run, as files a test or a person can inspect.
#pragma once

#include <string>

#include "sim/simulator.h"

// One transcript line, e.g.
// "controller 1 command 5 control address 0x0000ff data 1: ff".
std::string FormatTranscriptLine(const SimFrame& frame);

// The frames received per kind since the start, on one line, e.g.
// "frames received: query 12 read 2 write 0 erase 0 control 0 null 0 select 4 launch 1".
std::string FormatFrameCounts(const Simulator& simulator);

// Writes controller1.bin .. controller3.bin (the whole memory of each),
// transcript.txt and frames.txt (FormatFrameCounts) into `directory`,
// creating it if needed. Returns 0 or -1.
int WriteSimDump(const std::string& directory, const Simulator& simulator);
