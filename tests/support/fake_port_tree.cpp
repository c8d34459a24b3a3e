#include "tests/support/fake_port_tree.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

FakePortTree::FakePortTree() {
  char pattern[] = "/tmp/velt-ports-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return;
  std::error_code error;
  fs::create_directories(fs::path(pattern) / "sys/class/tty", error);
  fs::create_directories(fs::path(pattern) / "dev", error);
  if (!error) root = pattern;
}

FakePortTree::~FakePortTree() {
  std::error_code error;
  if (!root.empty()) fs::remove_all(root, error);
}

PortTree FakePortTree::Tree() const {
  PortTree tree;
  tree.sys = root + "/sys";
  tree.dev = root + "/dev";
  return tree;
}

std::string FakePortTree::DevicePath(const std::string& name) const {
  return root + "/dev/" + name;
}

void FakePortTree::AddPort(const std::string& name, const std::string& target,
                           const std::string& driver, int uartType) {
  std::error_code error;
  fs::create_symlink(target, DevicePath(name), error);
  const fs::path entry = fs::path(root) / "sys/class/tty" / name;
  fs::create_directories(entry / "device", error);
  if (!driver.empty()) {
    // As the kernel lays it out: a link into the bus's list of drivers.
    const fs::path driverDirectory = fs::path(root) / "sys/bus/fake/drivers" / driver;
    fs::create_directories(driverDirectory, error);
    fs::create_directory_symlink(driverDirectory, entry / "device/driver", error);
  }
  if (uartType != noTypeAttribute) std::ofstream(entry / "type") << uartType << "\n";
}

void FakePortTree::AddById(const std::string& byId, const std::string& target) {
  std::error_code error;
  const fs::path directory = fs::path(root) / "dev/serial/by-id";
  fs::create_directories(directory, error);
  fs::create_symlink(target, directory / byId, error);
}

void FakePortTree::AddByPath(const std::string& byPath, const std::string& target) {
  std::error_code error;
  const fs::path directory = fs::path(root) / "dev/serial/by-path";
  fs::create_directories(directory, error);
  fs::create_symlink(target, directory / byPath, error);
}

namespace {

void Write(const fs::path& file, const std::string& value) {
  if (!value.empty()) std::ofstream(file) << value << "\n";
}

void BindDriver(const fs::path& sys, const fs::path& device, const std::string& bus,
                const std::string& driver) {
  std::error_code error;
  const fs::path driverDirectory = sys / "bus" / bus / "drivers" / driver;
  fs::create_directories(driverDirectory, error);
  fs::create_directory_symlink(driverDirectory, device / "driver", error);
}

}  // namespace

void FakePortTree::AddUsbPort(const std::string& name, const std::string& target,
                              const UsbAdapter& adapter) {
  std::error_code error;
  fs::create_symlink(target, DevicePath(name), error);
  const fs::path sys = fs::path(root) / "sys";
  const std::string usbName = "1-" + std::to_string(++usbDevices);
  const fs::path usbDevice = sys / "devices/pci0000:00/0000:00:14.0/usb1" / usbName;
  const fs::path interface = usbDevice / (usbName + ":1.0");
  fs::create_directories(interface, error);
  Write(usbDevice / "idVendor", adapter.vendorId);
  Write(usbDevice / "idProduct", adapter.productId);
  Write(usbDevice / "serial", adapter.serialNumber);
  BindDriver(sys, interface, "usb", adapter.interfaceDriver);
  fs::path portDevice = interface;
  if (!adapter.portDriver.empty()) {
    portDevice = interface / name;
    fs::create_directories(portDevice, error);
    BindDriver(sys, portDevice, "usb-serial", adapter.portDriver);
    Write(portDevice / "latency_timer", adapter.latencyTimer);
  }
  const fs::path entry = sys / "class/tty" / name;
  fs::create_directories(entry, error);
  fs::create_directory_symlink(portDevice, entry / "device", error);
}
