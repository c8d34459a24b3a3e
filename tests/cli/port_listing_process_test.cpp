// velt-flash --list-ports and --port NAME as a process, on a fake port tree
// (VELT_PORT_ROOT) whose adapter leads to the simulated device.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port_list.h"
#include "firmware/firmware_images.h"
#include "sim/simulator.h"
#include "tests/cli/flash_process.h"
#include "tests/support/fake_port_tree.h"
#include "tests/support/image_bytes.h"

namespace {

using ::testing::HasSubstr;
using Output = std::vector<std::string>;

class VeltFlashPorts : public OneDevice {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tree.Ok());
    OneDevice::SetUp();
  }
  // The child lists this tree, never the machine's ports.
  std::vector<std::string> Environment() const {
    return {std::string(portRootVariable) + "=" + tree.Root()};
  }
  FakePortTree tree;
};

TEST_F(VeltFlashPorts, ListsOnePortALineNameFirst) {
  tree.AddPort("ttyUSB10", "/nonexistent/velt-usb10");
  tree.AddPort("ttyUSB2", device.DevicePath());
  tree.AddPort("ttyS0", "/nonexistent/velt-s0", "serial8250", 0);  // no UART: left out
  tree.AddById("usb-VELT_Simulator_0001-if00-port0", device.DevicePath());

  const FlashRun run = RunFlash({"--list-ports"}, Environment());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out), (Output{"ttyUSB2   VELT Simulator 0001", "ttyUSB10"}));
  EXPECT_EQ(run.err, "");
}

// A device's by-id name is whatever its maker wrote: it cannot add lines to
// the list or send the terminal escape sequences.
TEST_F(VeltFlashPorts, ADescriptionCannotAddLinesOrEscapes) {
  tree.AddPort("ttyUSB0", device.DevicePath());
  tree.AddById("usb-Evil\nttyUSB9_\x1B[2J\xFF-if00-port0", device.DevicePath());
  const FlashRun run = RunFlash({"--list-ports"}, Environment());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out), (Output{"ttyUSB0  Evil\xEF\xBF\xBDttyUSB9 \xEF\xBF\xBD[2J\\xFF"}));
}

TEST_F(VeltFlashPorts, NoPortsIsNoErrorButSaidOnStderr) {
  const FlashRun run = RunFlash({"--list-ports"}, Environment());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "") << "a script reading the list gets no lines";
  EXPECT_THAT(run.err, HasSubstr("не найдены"));
}

TEST_F(VeltFlashPorts, APortIsGivenByItsListedName) {
  tree.AddPort("ttyUSB0", device.DevicePath());
  tree.AddById("usb-VELT_Simulator_0001-if00-port0", "../../ttyUSB0");

  const FlashRun run = RunFlash({"--port", "ttyUSB0", "firmware"}, Environment());
  EXPECT_EQ(run.status, 0) << run.err;
  const FirmwareTables tables = BuiltInFirmwareTables();
  EXPECT_EQ(MemoryBytesAtImage(device.Memory(3), *tables[2], 0x2000, 0x8000, firmwareBase),
            ImageBytes(*tables[2], 0x2000, 0x8000, firmwareBase));
  EXPECT_TRUE(device.ApplicationRunning());

  // A name the listing does not know is taken as it stands, and fails so.
  const FlashRun unknown = RunFlash({"--port", "ttyUSB9", "reset"}, Environment());
  EXPECT_EQ(unknown.status, 4);
  EXPECT_THAT(unknown.err, HasSubstr("ttyUSB9"));
}

// A station set up by socket: the by-path name is listed beside the port,
// opens it, and is the same port as its by-id name.
TEST_F(VeltFlashPorts, ASocketNameIsListedAndGivesThePort) {
  const std::string socket = "pci-0000:00:14.0-usb-0:2:1.0-port0";
  tree.AddPort("ttyUSB0", device.DevicePath());
  tree.AddPort("ttyUSB1", "/nonexistent/velt-usb1");
  tree.AddPort("ttyACM0", "/dev/null");  // listed, never opened
  tree.AddById("usb-VELT_Simulator_0001-if00-port0", "../../ttyUSB0");
  tree.AddByPath(socket, "../../ttyUSB0");
  tree.AddByPath("pci-0000:00:14.0-usb-0:3:1.0", "../../ttyACM0");
  const std::string byPath = tree.Root() + "/dev/serial/by-path/" + socket;
  const std::string byId = tree.Root() + "/dev/serial/by-id/usb-VELT_Simulator_0001-if00-port0";

  const FlashRun list = RunFlash({"--list-ports"}, Environment());
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(Lines(list.out),
            (Output{"ttyACM0                       " + tree.Root() +
                        "/dev/serial/by-path/pci-0000:00:14.0-usb-0:3:1.0",
                    "ttyUSB0  VELT Simulator 0001  " + byPath, "ttyUSB1"}));

  const FlashRun run = RunFlash({"--port", byPath, "firmware"}, Environment());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(device.ApplicationRunning());

  const FlashRun twice = RunFlash({"--port", byPath, "--port", byId, "reset"}, Environment());
  EXPECT_EQ(twice.status, 64) << "one port given twice is a wrong command line";
  EXPECT_THAT(twice.err, HasSubstr(socket));
}

}  // namespace
