// The simulated line's options or faults in one expression, as a table row
// or a fixture's initialiser wants them:
//   Changed(Unpaced(), [](SimOptions& o) { o.writeLatencyMs = 8; })
//   Faults([](SimFaults& f) { f.silent = true; })
#pragma once

#include "sim/sim_types.h"

template <typename Settings, typename Change>
Settings Changed(Settings settings, Change change) {
  change(settings);
  return settings;
}

template <typename Change>
SimFaults Faults(Change change) {
  return Changed(SimFaults{}, change);
}
