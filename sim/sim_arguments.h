// velt-sim's command line.
#pragma once

#include <string>
#include <vector>

#include "sim/sim_types.h"

// Most devices one velt-sim serves: as many as velt-flash drives at once.
constexpr int maxSimDevices = 32;

struct SimProgramOptions {
  SimOptions device;          // as given ahead of any --device: every device's
  int deviceCount = 0;        // --devices N; 0: one device, named as without it
  // Filled by ParseSimArguments: one entry per device, each `device` plus the
  // options given after its --device K.
  std::vector<SimOptions> devices;
  std::string dumpDirectory;  // empty: no dump at exit
  std::string linkPath;       // empty: no symlink; with --devices a folder or a %d pattern
  bool help = false;
  bool version = false;
};

// Parses argv[1..argc). Returns 0, or -1 with a one-line reason in *error.
int ParseSimArguments(int argc, const char* const* argv, SimProgramOptions* options,
                      std::string* error);

extern const char simUsage[];
