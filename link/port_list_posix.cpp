// Port discovery on Linux: the USB adapters (ttyUSB, ttyACM) and the
// built-in ports (ttyS) that have a driver behind them, described by the
// names udev gives them under /dev/serial/by-id.
#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>

#ifdef __linux__
#include <linux/serial.h>
#endif

#include "link/port_list.h"

namespace {

// The kernel's names for the ports a ВЕЛТ can hang on.
const char* const portPrefixes[] = {"ttyUSB", "ttyACM", "ttyS"};
// The serial core keeps a ttyS node for every slot it reserves, present or
// not; only those it found a UART for have a known port type.
const char builtInPrefix[] = "ttyS";
constexpr int unknownPortType = 0;  // PORT_UNKNOWN

// udev's by-id names: "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0".
const char byIdBusPrefix[] = "usb-";
const char byIdInterfaceMark[] = "-if";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> Entries(const std::string& directory) {
  std::vector<std::string> names;
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

// Where a path finally leads; empty when it leads nowhere.
std::string Resolved(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

bool IsPortName(const std::string& name) {
  for (const char* prefix : portPrefixes) {
    const std::string p = prefix;
    if (StartsWith(name, p) && name.size() > p.size() &&
        name.find_first_not_of("0123456789", p.size()) == std::string::npos) {
      return true;
    }
  }
  return false;
}

bool HasDriver(const PortTree& tree, const std::string& name) {
  return !Resolved(tree.sys + "/class/tty/" + name + "/device/driver").empty();
}

// The UART behind a built-in port: the kernel's port type, from sysfs when
// it says (no need to open the port, and no permission either), else asked
// of the port itself.
bool UartPresent(const PortTree& tree, const std::string& name, const std::string& device) {
  std::ifstream typeFile(tree.sys + "/class/tty/" + name + "/type");
  int type = unknownPortType;
  if (typeFile >> type) return type != unknownPortType;
#ifdef __linux__
  const int fd = open(device.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  serial_struct serial{};
  const bool answered = ioctl(fd, TIOCGSERIAL, &serial) == 0;
  close(fd);
  return answered && serial.type != unknownPortType;
#else
  (void)device;
  return false;
#endif
}

// "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" -> "FTDI FT232R USB UART A50285BI"
std::string Describe(std::string byId) {
  if (StartsWith(byId, byIdBusPrefix)) byId.erase(0, sizeof byIdBusPrefix - 1);
  const size_t interface = byId.rfind(byIdInterfaceMark);
  if (interface != std::string::npos && interface > 0) byId.erase(interface);
  std::string text;
  for (const char c : byId) {
    if (c != '_') text += c;
    else if (!text.empty() && text.back() != ' ') text += ' ';  // udev's stand-in for blanks
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

void AddDescriptions(const PortTree& tree, std::vector<PortInfo>* ports) {
  const std::string byIdDirectory = tree.dev + "/serial/by-id";
  for (const std::string& byId : Entries(byIdDirectory)) {
    const std::string target = Resolved(byIdDirectory + "/" + byId);
    if (target.empty()) continue;
    for (PortInfo& port : *ports) {
      if (port.description.empty() && Resolved(port.device) == target) {
        port.description = Describe(byId);
      }
    }
  }
}

// udev's by-path names, one per socket a port's adapter is in.
void AddSocketNames(const PortTree& tree, std::vector<PortInfo>* ports) {
  const std::string byPathDirectory = tree.dev + "/serial/by-path";
  std::vector<std::string> names = Entries(byPathDirectory);
  // One fixed choice when a port has several (the kernel's older and newer forms).
  std::sort(names.begin(), names.end());
  for (const std::string& byPath : names) {
    const std::string path = byPathDirectory + "/" + byPath;
    const std::string target = Resolved(path);
    if (target.empty()) continue;
    for (PortInfo& port : *ports) {
      if (port.byPath.empty() && Resolved(port.device) == target) port.byPath = path;
    }
  }
}

}  // namespace

std::vector<PortInfo> ListPortsIn(const PortTree& tree) {
  std::vector<PortInfo> ports;
  for (const std::string& name : Entries(tree.dev)) {
    if (!IsPortName(name) || !HasDriver(tree, name)) continue;
    const std::string device = tree.dev + "/" + name;
    if (StartsWith(name, builtInPrefix) && !UartPresent(tree, name, device)) continue;
    ports.push_back({name, device, "", ""});
  }
  AddDescriptions(tree, &ports);
  AddSocketNames(tree, &ports);
  SortPorts(&ports);
  return ports;
}

PortTree MachinePortTree() {
  PortTree tree;
  const char* root = std::getenv(portRootVariable);
  if (root != nullptr && root[0] != '\0') {
    tree.sys = std::string(root) + "/sys";
    tree.dev = std::string(root) + "/dev";
  }
  return tree;
}

std::vector<PortInfo> ListPorts() { return ListPortsIn(MachinePortTree()); }

bool SameDevice(const std::string& a, const std::string& b) {
  if (a == b) return true;
  const std::string resolvedA = Resolved(a);
  return !resolvedA.empty() && resolvedA == Resolved(b);
}
