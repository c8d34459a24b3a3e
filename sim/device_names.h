// Where each device of a velt-sim run puts its link and its dump, and the
// links themselves. A lone device uses the names as given; device K of a
// station DIR/devK, or the link pattern with K for its %d.
#pragma once

#include <string>
#include <vector>

#include "sim/sim_arguments.h"

struct DeviceNames {
  std::string link;   // empty: none
  std::string dump;   // empty: none
  std::string label;  // ahead of the device's lines on stderr; empty for a lone device
};

std::vector<DeviceNames> DeviceNamesOf(const SimProgramOptions& options);

// A station's --link with a % in it is a pattern, else a folder.
bool IsLinkPattern(const std::string& link);

// Makes the station's folder of links when it is missing. Returns 1 when it
// made it (to be removed at exit), 0 when there is nothing to make, or -1.
int MakeLinkFolder(const SimProgramOptions& options);

// Links each device's name to its pty (`targets`, in device order): all of
// them, or none with the first that failed in *failed. Returns 0 or -1.
int MakeLinks(const std::vector<DeviceNames>& names, const std::vector<std::string>& targets,
              std::string* failed);
void RemoveLinks(const std::vector<DeviceNames>& names);
