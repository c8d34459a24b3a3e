// The adapter's facts on Linux, from sysfs: the tty's device is the USB
// interface (ttyACM) or a usb-serial port below it (ttyUSB); the interface's
// driver names the kind, its parent the USB device with its ids.
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "link/adapter_facts.h"

namespace {

// More links than this between a name and its tty (by-id -> ttyUSB0 is one)
// mean a loop, as the kernel's own limit on symbolic links does.
constexpr int maxLinkSteps = 8;
// The port device, its interface, the USB device: two steps up at most, and
// one spare for a hub's extra level some drivers add.
constexpr int maxStepsToUsbDevice = 3;

std::string Resolved(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Parent(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? "" : path.substr(0, slash);
}

// The first line of a sysfs attribute, "" when there is none.
std::string Attribute(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
  return line;
}

// The kernel's name of the tty a name leads to: the name itself, or where its
// links lead one step at a time (a by-id or by-path link, VELT_COMk's link).
std::string TtyName(const PortTree& tree, std::string path) {
  for (int step = 0; step <= maxLinkSteps; ++step) {
    const std::string name = BaseName(path);
    if (!name.empty() && Exists(tree.sys + "/class/tty/" + name + "/device")) return name;
    char target[PATH_MAX];
    const ssize_t size = readlink(path.c_str(), target, sizeof target - 1);
    if (size <= 0) return "";
    target[size] = '\0';
    path = target[0] == '/' ? std::string(target) : Parent(path) + "/" + target;
  }
  return "";
}

std::string DriverOf(const std::string& device) {
  const std::string driver = Resolved(device + "/driver");
  return driver.empty() ? "" : BaseName(driver);
}

}  // namespace

AdapterFacts ReadAdapterFactsIn(const PortTree& tree, const std::string& device) {
  AdapterFacts facts;
  facts.source = FactsSource::sysfs;
  facts.portName = TtyName(tree, device);
  if (facts.portName.empty()) return facts;
  const std::string portDevice = Resolved(tree.sys + "/class/tty/" + facts.portName + "/device");
  if (portDevice.empty()) return facts;
  facts.driver = DriverOf(portDevice);
  facts.latencyTimerMs = LatencyTimerFromText(Attribute(portDevice + "/latency_timer"));
  std::string interface = portDevice;
  for (int step = 0; step < maxStepsToUsbDevice && !interface.empty(); ++step) {
    const std::string usbDevice = Parent(interface);
    if (Exists(usbDevice + "/idVendor")) {
      if (!DriverOf(interface).empty()) facts.driver = DriverOf(interface);
      facts.vendorId = Attribute(usbDevice + "/idVendor");
      facts.productId = Attribute(usbDevice + "/idProduct");
      facts.serialNumber = Attribute(usbDevice + "/serial");
      break;
    }
    interface = usbDevice;
  }
  return facts;
}

AdapterFacts ReadAdapterFacts(const std::string& device, const ComPort& port) {
  AdapterFacts facts = ReadAdapterFactsIn(MachinePortTree(), device);
  if (port.IsOpen()) facts.lowLatency = port.LowLatencyAnswer();
  return facts;
}
