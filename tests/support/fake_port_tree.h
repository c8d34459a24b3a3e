// A fake sysfs and /dev under a fresh temporary directory, so that port
// discovery runs without root and without touching the machine's ports.
#pragma once

#include <string>

#include "link/port_list.h"

class FakePortTree {
 public:
  static constexpr int noTypeAttribute = -1;

  FakePortTree();   // makes ROOT/sys and ROOT/dev
  ~FakePortTree();  // removes ROOT with everything in it
  FakePortTree(const FakePortTree&) = delete;
  FakePortTree& operator=(const FakePortTree&) = delete;

  bool Ok() const { return !root.empty(); }
  // What VELT_PORT_ROOT names for this tree.
  const std::string& Root() const { return root; }
  PortTree Tree() const;
  std::string DevicePath(const std::string& name) const;  // ROOT/dev/NAME

  // dev/NAME as a link to `target` (a pty, or a path that does not exist)
  // and its sysfs entry; with a non-empty driver, device/driver leads to a
  // driver of that name; uartType, when given, is the sysfs "type" attribute.
  void AddPort(const std::string& name, const std::string& target,
               const std::string& driver = "ftdi_sio", int uartType = noTypeAttribute);
  // dev/serial/by-id/BYID as a link to `target`.
  void AddById(const std::string& byId, const std::string& target);

 private:
  std::string root;
};
