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

struct DevicePort {
  std::string given;   // as on the command line
  std::string device;  // what is opened: a listed name's device, else as given
};

// Each --port word with the device it opens, in order.
std::vector<DevicePort> DevicePortsFor(const std::vector<std::string>& given);

// The device's own name, to tell two words for one port apart: a digit's
// mapped device (VELT_COMk, /dev/ttyS{k-1}, COMk), else the device.
std::string OpenedName(const DevicePort& port);
