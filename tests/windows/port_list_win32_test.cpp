// Port discovery on Windows: which names are one device, and the listing of
// the registry's ports (scripts/test-windows maps COM1..COM4 in wine's).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

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

TEST(Win32PortList, ListsMappedPortsOnceInNumberOrder) {
  if (std::getenv("VELT_TEST_PORT") == nullptr) GTEST_SKIP() << "no COM ports mapped";
  const std::vector<PortInfo> ports = ListPorts();
  PortInfo found;
  ASSERT_TRUE(FindPort(ports, "COM1", &found));
  EXPECT_EQ(found.device, "COM1");
  for (size_t i = 1; i < ports.size(); ++i) {
    EXPECT_TRUE(NaturalLess(ports[i - 1].name, ports[i].name))
        << ports[i - 1].name << " before " << ports[i].name;
  }
}

}  // namespace
