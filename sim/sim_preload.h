// velt-sim --memory: a device that already holds a firmware set, as a load
// would have left it, though no tool ever loaded it; so that verifying is
// tested against memory the flasher did not write itself.
#pragma once

#include <string>

#include "sim/sim_types.h"

// Adds the set's pages within each controller's firmware range to
// device->preload; controller 1's coefficient pages keep the fill, as a load
// keeps the coefficients. Returns 0, or -1 with the reader's words (file,
// line, reason) in *error.
int PreloadFirmwareSet(const std::string& folder, SimOptions* device, std::string* error);
