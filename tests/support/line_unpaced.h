// The simulated line as fast as the machine goes: most tests want the
// answers, not the 57600 baud pace, which only the pacing tests keep.
#pragma once

#include "sim/sim_types.h"

inline SimOptions Unpaced(const SimFaults& faults = {}) {
  SimOptions options;
  options.baud = 0;
  options.faults = faults;
  return options;
}
