// velt-sim's command line.
#pragma once

#include <string>

#include "sim/sim_types.h"

struct SimProgramOptions {
  SimOptions device;
  std::string dumpDirectory;  // empty: no dump at exit
  std::string linkPath;       // empty: no symlink
  bool help = false;
  bool version = false;
};

// Parses argv[1..argc). Returns 0, or -1 with a one-line reason in *error.
int ParseSimArguments(int argc, const char* const* argv, SimProgramOptions* options,
                      std::string* error);

extern const char simUsage[];
