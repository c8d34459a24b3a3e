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
  // dev/serial/by-path/BYPATH as a link to `target`.
  void AddByPath(const std::string& byPath, const std::string& target);

  // A USB adapter as sysfs lays it out: the USB device with its ids, its
  // interface bound to `interfaceDriver`, and for a usb-serial port (a
  // non-empty portDriver) the port below it with its latency timer.
  struct UsbAdapter {
    std::string interfaceDriver;  // "ftdi_sio", "cdc_acm"
    std::string portDriver;       // "ftdi_sio", "ch341-uart"; "" for ttyACM
    std::string vendorId, productId, serialNumber;  // "" leaves the attribute out
    std::string latencyTimer;                       // as written in sysfs; "" for none
  };
  // dev/NAME as a link to `target`, and sysfs for the adapter.
  void AddUsbPort(const std::string& name, const std::string& target, const UsbAdapter& adapter);

 private:
  std::string root;
  int usbDevices = 0;
};
