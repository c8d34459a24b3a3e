// Port discovery on Windows: which names are one device. (scripts/test-windows
// checks the listing itself through velt-flash.exe --list-ports.)
#include <gtest/gtest.h>

#include <string>

#include "link/port_list.h"

namespace {

TEST(Win32PortList, ANameWithOrWithoutTheDeviceNamespaceIsOneDevice) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"COM12", "\\\\.\\COM12", true}, {"com7", "COM7", true},   {"COM1", "COM1", true},
      {"COM1", "COM10", false},        {"COM2", "\\\\.\\COM3", false},
  };
  for (const Case& c : cases) EXPECT_EQ(SameDevice(c.a, c.b), c.same) << c.a << " " << c.b;
  EXPECT_EQ(PortDigitOfDevice("\\\\.\\COM3"), '3');
  EXPECT_EQ(PortDigitOfDevice("COM12"), 0);
}

}  // namespace
