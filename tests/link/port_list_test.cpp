// Port discovery on a fake sysfs and /dev tree: which nodes are ports, how
// they are described and ordered, and which of them COM 1-4 already stand for.
#include "link/port_list.h"

#include <pty.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_port_tree.h"

namespace {

using Names = std::vector<std::string>;

Names NamesOf(const std::vector<PortInfo>& ports) {
  Names names;
  for (const PortInfo& port : ports) names.push_back(port.name);
  return names;
}

// A pseudo-terminal for a fake port to lead to.
class Pty {
 public:
  Pty() {
    char name[256];
    if (openpty(&controller, &terminal, name, nullptr, nullptr) == 0) path = name;
  }
  ~Pty() {
    if (!path.empty()) {
      close(controller);
      close(terminal);
    }
  }
  std::string path;

 private:
  int controller = -1;
  int terminal = -1;
};

class PortListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tree.Ok());
    ASSERT_FALSE(pty.path.empty());
  }
  FakePortTree tree;
  Pty pty;
};

TEST_F(PortListTest, ListsOnlyPortsWithADriverAndBuiltInPortsWithAUart) {
  const std::string nowhere = "/nonexistent/velt-port";
  struct Node {
    const char* name;
    std::string target;
    const char* driver;
    int uartType;
  };
  const Node nodes[] = {
      {"ttyUSB0", pty.path, "ftdi_sio", FakePortTree::noTypeAttribute},
      {"ttyACM1", pty.path, "cdc_acm", FakePortTree::noTypeAttribute},
      // Listing does not open a port: one that will not open is still there.
      {"ttyUSB7", nowhere, "pl2303", FakePortTree::noTypeAttribute},
      {"ttyS0", pty.path, "serial8250", 4},  // PORT_16550A
      {"ttyS1", pty.path, "serial8250", 0},  // a slot without a UART
      {"ttyS2", pty.path, "", FakePortTree::noTypeAttribute},
      // No type in sysfs: the port itself is asked, and a pty is no UART.
      {"ttyS3", pty.path, "port", FakePortTree::noTypeAttribute},
      {"ttyUSB3", pty.path, "", FakePortTree::noTypeAttribute},
      {"tty0", pty.path, "vt", FakePortTree::noTypeAttribute},
      {"ttyAMA0", pty.path, "uart-pl011", 4},
      {"ttyUSB", pty.path, "ftdi_sio", FakePortTree::noTypeAttribute},
      {"ttyUSBx1", pty.path, "ftdi_sio", FakePortTree::noTypeAttribute},
  };
  for (const Node& node : nodes) tree.AddPort(node.name, node.target, node.driver, node.uartType);

  const std::vector<PortInfo> ports = ListPortsIn(tree.Tree());
  EXPECT_EQ(NamesOf(ports), (Names{"ttyACM1", "ttyS0", "ttyUSB0", "ttyUSB7"}));
  for (const PortInfo& port : ports) EXPECT_EQ(port.device, tree.DevicePath(port.name));
}

TEST_F(PortListTest, AnEmptyOrMissingTreeHasNoPorts) {
  EXPECT_TRUE(ListPortsIn(tree.Tree()).empty());
  PortTree missing;
  missing.sys = tree.Root() + "/no-sys";
  missing.dev = tree.Root() + "/no-dev";
  EXPECT_TRUE(ListPortsIn(missing).empty());
}

TEST_F(PortListTest, NamesSortWithNumbersComparedAsNumbers) {
  struct Case {
    const char* a;
    const char* b;
    bool less;
  };
  const Case cases[] = {
      {"ttyUSB2", "ttyUSB10", true}, {"ttyUSB10", "ttyUSB2", false},
      {"COM2", "COM10", true},       {"COM9", "COM12", true},
      {"ttyACM9", "ttyS0", true},    {"ttyS0", "ttyUSB0", true},
      {"ttyS1", "ttyS1", false},     {"ttyS", "ttyS0", true},
      {"ttyS007", "ttyS8", true},    {"ttyS01", "ttyS1", true},
      {"ttyS1", "ttyS01", false},
  };
  for (const Case& c : cases) EXPECT_EQ(NaturalLess(c.a, c.b), c.less) << c.a << " < " << c.b;

  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyUSB1", "ttyS10", "ttyS9"}) {
    tree.AddPort(name, pty.path, "ftdi_sio", 4);
  }
  EXPECT_EQ(NamesOf(ListPortsIn(tree.Tree())),
            (Names{"ttyS9", "ttyS10", "ttyUSB1", "ttyUSB2", "ttyUSB10"}));
}

TEST_F(PortListTest, ByIdNamesDescribeThePortTheyLeadTo) {
  Pty other;
  ASSERT_FALSE(other.path.empty());
  tree.AddPort("ttyUSB0", pty.path);
  tree.AddPort("ttyUSB1", other.path);
  tree.AddPort("ttyACM0", "/nonexistent/velt-acm");
  // udev's links are relative to the by-id folder; a pty link stands for a device.
  tree.AddById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "../../ttyUSB0");
  tree.AddById("usb-Arduino__www.arduino.cc__0043_7533-if00", other.path);
  tree.AddById("usb-Gone_Adapter-if00-port0", "/nonexistent/velt-gone");

  const std::vector<PortInfo> ports = ListPortsIn(tree.Tree());
  ASSERT_EQ(NamesOf(ports), (Names{"ttyACM0", "ttyUSB0", "ttyUSB1"}));
  EXPECT_EQ(ports[0].description, "");
  EXPECT_EQ(ports[1].description, "FTDI FT232R USB UART A50285BI");
  EXPECT_EQ(ports[2].description, "Arduino www.arduino.cc 0043 7533");
}

TEST_F(PortListTest, TheEnvironmentPointsTheListingAtAnotherTree) {
  tree.AddPort("ttyUSB4", pty.path);
  setenv(portRootVariable, tree.Root().c_str(), 1);
  const std::vector<PortInfo> ports = ListPorts();
  unsetenv(portRootVariable);
  ASSERT_EQ(NamesOf(ports), Names{"ttyUSB4"});
  EXPECT_EQ(ports[0].device, tree.Root() + "/dev/ttyUSB4");

  PortInfo found;
  EXPECT_TRUE(FindPort(ports, "ttyUSB4", &found));
  EXPECT_EQ(found.device, ports[0].device);
  EXPECT_FALSE(FindPort(ports, "ttyUSB", &found));
}

TEST_F(PortListTest, AComPortIsRecognisedThroughLinksOnBothSides) {
  Pty other;
  ASSERT_FALSE(other.path.empty());
  tree.AddPort("ttyUSB0", pty.path);
  tree.AddPort("ttyUSB1", other.path);
  tree.AddById("usb-Sim-if00-port0", pty.path);
  const std::string byId = tree.Root() + "/dev/serial/by-id/usb-Sim-if00-port0";
  setenv("VELT_COM3", byId.c_str(), 1);
  unsetenv("VELT_COM1");
  struct Case {
    std::string device;
    char digit;
  };
  const Case cases[] = {
      {tree.DevicePath("ttyUSB0"), '3'},
      {pty.path, '3'},
      {tree.DevicePath("ttyUSB1"), 0},
      {"/dev/ttyS0", '1'},  // COM 1 unmapped: the first built-in port
      {"/nonexistent/velt-port", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(PortDigitOfDevice(c.device), c.digit) << c.device;
  unsetenv("VELT_COM3");
}

}  // namespace
