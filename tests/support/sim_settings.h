// The simulated line's options and faults as a table row or a fixture's
// initialiser wants them, in one expression:
//   Unpaced(Faults([](SimFaults& f) { f.silent = true; }))
//   Changed(Unpaced(), [](SimOptions& o) { o.writeLatencyMs = 8; })
#pragma once

#include "sim/sim_types.h"

// As fast as the machine goes: most tests want the answers, not the 57600
// baud pace, which only the pacing tests keep.
inline SimOptions Unpaced(const SimFaults& faults = {}) {
  SimOptions options;
  options.baud = 0;
  options.faults = faults;
  return options;
}

template <typename Settings, typename Change>
Settings Changed(Settings settings, Change change) {
  change(settings);
  return settings;
}

template <typename Change>
SimFaults Faults(Change change) {
  return Changed(SimFaults{}, change);
}
