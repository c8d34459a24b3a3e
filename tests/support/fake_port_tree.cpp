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
