// The serial ports present on this machine, for the Порт menu and
// velt-flash --list-ports. One file per platform finds them; Linux walks
// sysfs and /dev, Windows asks the registry and the DOS device names.
#pragma once

#include <string>
#include <vector>

struct PortInfo {
  std::string name;         // shown in the menu and taken by --port: "ttyUSB0", "COM7"
  std::string device;       // what ComPort::OpenDevice opens: "/dev/ttyUSB0", "COM12"
  std::string description;  // what the system says of it ("FTDI FT232R USB UART"), or ""
  // Linux: the name of the USB socket the adapter is plugged into
  // ("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"), which stays
  // when one adapter is swapped for another; "" for none.
  std::string byPath;
};

// Where the Linux walk looks. Tests build a fake tree and point it there.
struct PortTree {
  std::string sys = "/sys";
  std::string dev = "/dev";
};

// VELT_PORT_ROOT, when set, names a directory whose sys/ and dev/ stand in
// for the machine's: tests and demonstrations list ports from a fake tree.
constexpr char portRootVariable[] = "VELT_PORT_ROOT";

// The ports present now, in natural order of their names (ttyUSB2 before
// ttyUSB10, COM2 before COM10). On Linux the tree of VELT_PORT_ROOT when set.
std::vector<PortInfo> ListPorts();

// Linux: the machine's sysfs and /dev, or VELT_PORT_ROOT's when set.
PortTree MachinePortTree();

// Linux: the ports of one sysfs and /dev tree.
std::vector<PortInfo> ListPortsIn(const PortTree& tree);

// True when a sorts before b with digit runs compared as numbers.
bool NaturalLess(const std::string& a, const std::string& b);
void SortPorts(std::vector<PortInfo>* ports);

// The listed port of that name; false when there is none.
bool FindPort(const std::vector<PortInfo>& ports, const std::string& name, PortInfo* found);

// The digit '1'..'4' of the COM port (ComPort::Open) that opens this very
// device, or 0. On Linux symbolic links are followed on both sides.
char PortDigitOfDevice(const std::string& device);

// Both names lead to the same device (platform rules, see PortDigitOfDevice).
bool SameDevice(const std::string& a, const std::string& b);
