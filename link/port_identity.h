// What a port's name leads to, so that two names of one port compare equal
// (a link and its target, "/dev/pts//0", "\\.\COM3" and "com3"): a second
// ComPort on it would only be refused as busy, and its record row would
// speak of a device that does not exist.
#pragma once

#include <string>

// POSIX: the device itself (its number, after links); Windows: the
// normalised "\\.\COMn", other names in capitals. A name that leads nowhere
// stays as given.
std::string PortIdentity(const std::string& device);
