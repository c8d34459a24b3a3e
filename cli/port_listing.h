// velt-flash --list-ports, and the names it prints as values of --port.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "link/port_list.h"

// One line per port: the name to give to --port, then what the system says
// of it. With no port at all, says so on `notes` (the list itself stays
// empty for scripts). Returns the exit status: 0.
int PrintPortList(const std::vector<PortInfo>& ports, std::FILE* out, std::FILE* notes);

// The device that a --port word opens: the name of a listed port gives its
// device ("ttyUSB0" -> "/dev/ttyUSB0"); a digit, a path or a name not listed
// stays as given.
std::string PortDeviceFor(const std::string& port);
