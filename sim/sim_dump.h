// The simulator's record of a run, as files a test or a person can inspect.
#pragma once

#include <string>

#include "sim/simulator.h"

// One transcript line, e.g.
// "controller 1 command 5 control address 0x0000ff data 1: ff".
std::string FormatTranscriptLine(const SimFrame& frame);

// Writes controller1.bin .. controller3.bin (the whole memory of each) and
// transcript.txt into `directory`, creating it if needed. Returns 0 or -1.
int WriteSimDump(const std::string& directory, const Simulator& simulator);
