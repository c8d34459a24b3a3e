// Faults of the simulated line in one expression, as a table row wants them:
// Faults([](SimFaults& f) { f.silent = true; }).
#pragma once

#include "sim/sim_types.h"

template <typename Set>
SimFaults Faults(Set set) {
  SimFaults faults;
  set(faults);
  return faults;
}
