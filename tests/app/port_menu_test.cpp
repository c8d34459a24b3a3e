// The ports found on the machine, after COM 1-4 in the Порт menu: listed,
// probed, and used by the jobs like the four.
#include <FL/Fl.H>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/window_device.h"
#include "firmware/firmware_images.h"
#include "tests/app/app_fixture.h"
#include "tests/support/image_bytes.h"

namespace {

const char* const simulatorById = "usb-VELT_Simulator_0001-if00-port0";
const char* const simulatorLabel = "ttyUSB0 — VELT Simulator 0001";

class PortMenuTest : public AppTest {};

std::string LabelOf(const Fl_Menu_Item& item) { return item.label() ? item.label() : "(end)"; }

// The Порт submenu's items as the menu bar walks it, up to its end.
std::vector<std::string> PortLabels() {
  std::vector<std::string> labels;
  for (const Fl_Menu_Item* item = &mainMenu[firstPortMenuItem]; item->label(); ++item) {
    labels.push_back(item->label());
  }
  return labels;
}

TEST_F(PortMenuTest, DiscoveredPortsFollowComFourAndThoseThatDoNotOpenAreGreyed) {
  Simulator& com1 = AttachDevice(1);
  AttachDiscoveredDevice("ttyUSB0", simulatorById);
  portTree.AddPort("ttyUSB1", "/nonexistent/velt-usb1");
  portTree.AddPort("ttyACM0", com1.DevicePath());  // COM 1 under another name: not twice
  StartProgram();

  EXPECT_EQ(PortLabels(),
            (std::vector<std::string>{"COM 1 ", "COM 2 ", "COM 3 ", "COM 4 ", simulatorLabel,
                                      "ttyUSB1", "Обновить список", "Проверить линию"}));
  ASSERT_EQ(ExtraPortCount(), 2);
  const Fl_Menu_Item& usb0 = ExtraPortMenuItem(0);
  const Fl_Menu_Item& usb1 = ExtraPortMenuItem(1);
  EXPECT_TRUE(usb0.radio() && usb0.active() && !usb0.value());
  EXPECT_TRUE(usb1.radio() && !usb1.active() && !usb1.value());
  EXPECT_EQ(ExtraPortDevice(0), portTree.DevicePath("ttyUSB0"));
  EXPECT_TRUE(PortMenuItem(1).value()) << "COM 1 stays the one chosen";
  EXPECT_EQ(menuBar->find_item((std::string("Порт/") + simulatorLabel).c_str()), &usb0);

  // Everything after the Порт items moved down behind them, intact.
  const int shift = ExtraPortCount();
  EXPECT_EQ(&RefreshPortsMenuItem(), &mainMenu[refreshPortsMenuItem + shift]);
  EXPECT_EQ(RefreshPortsMenuItem().callback(), refreshPorts);
  EXPECT_EQ(&ProbeLineMenuItem(), &mainMenu[probeLineMenuItem + shift]);
  EXPECT_EQ(ProbeLineMenuItem().callback(), onProbeLine);
  EXPECT_EQ(LabelOf(mainMenu[probeLineMenuItem + 1 + shift]), "(end)");
  EXPECT_EQ(LabelOf(mainMenu[aboutMenuItem + shift]), "Справка");
  EXPECT_EQ(mainMenu[aboutMenuItem + shift].callback(), showAbout);
  EXPECT_EQ(LabelOf(mainMenu[mainMenuItemCount - 1 + shift]), "(end)");
  EXPECT_EQ(logBrowser->size(), 0);
}

TEST_F(PortMenuTest, ADescriptionCannotBreakTheMenuItem) {
  AttachDiscoveredDevice("ttyUSB0", "usb-Evil\nFake\x1B[1m\xFF-if00-port0");
  StartProgram();
  ASSERT_EQ(ExtraPortCount(), 1);
  EXPECT_EQ(LabelOf(ExtraPortMenuItem(0)), "ttyUSB0 — Evil\xEF\xBF\xBD" "Fake\xEF\xBF\xBD[1m\\xFF");
}

TEST_F(PortMenuTest, WithoutDiscoveredPortsTheMenuIsTheCompiledOne) {
  std::vector<std::string> compiled;
  for (int i = 0; i < mainMenuItemCount; ++i) compiled.push_back(LabelOf(mainMenu[i]));
  portTree.AddPort("ttyUSB3", "/nonexistent/velt-usb3");
  StartProgram();
  ASSERT_EQ(ExtraPortCount(), 1);

  // The next start finds the adapter gone.
  ASSERT_EQ(unlink(portTree.DevicePath("ttyUSB3").c_str()), 0);
  StartProgram();
  EXPECT_EQ(ExtraPortCount(), 0);
  std::vector<std::string> now;
  for (int i = 0; i < mainMenuItemCount; ++i) now.push_back(LabelOf(mainMenu[i]));
  EXPECT_EQ(now, compiled);
  for (int i = mainMenuItemCount; i < mainMenuCapacity; ++i) {
    EXPECT_EQ(mainMenu[i].label(), nullptr) << i;
  }
}

TEST_F(PortMenuTest, NoMorePortsThanTheMenuHasRoomFor) {
  for (int n = 0; n < maxExtraPorts + 3; ++n) {
    const std::string name = "ttyUSB" + std::to_string(n);
    portTree.AddPort(name, "/nonexistent/velt-" + name);
  }
  StartProgram();
  ASSERT_EQ(ExtraPortCount(), maxExtraPorts);
  EXPECT_EQ(LabelOf(ExtraPortMenuItem(0)), "ttyUSB0");
  EXPECT_EQ(LabelOf(ExtraPortMenuItem(maxExtraPorts - 1)),
            "ttyUSB" + std::to_string(maxExtraPorts - 1));
  EXPECT_EQ(LabelOf(mainMenu[aboutMenuItem + maxExtraPorts]), "Справка");
  EXPECT_EQ(LabelOf(mainMenu[mainMenuCapacity - 1]), "(end)");
}

void PickRefresh() { menuBar->picked(&RefreshPortsMenuItem()); }

// More ports than the menu has room for: the log says how many were left
// out, and the chosen one keeps its item and stays chosen.
TEST_F(PortMenuTest, ARefreshWithoutRoomSaysSoAndKeepsTheChosenPort) {
  for (int n = 0; n + 1 < maxExtraPorts; ++n) {
    const std::string name = "ttyUSB" + std::string(n < 10 ? "0" : "") + std::to_string(n);
    portTree.AddPort(name, "/nonexistent/velt-" + name);
  }
  StartProgram();
  AttachDiscoveredDevice("ttyUSB99", simulatorById);  // sorts last
  PickRefresh();
  ASSERT_EQ(ExtraPortCount(), maxExtraPorts);
  SelectExtraPort(maxExtraPorts - 1);
  const std::string chosen = ExtraPortDevice(maxExtraPorts - 1);

  for (const char* name : {"ttyACM0", "ttyACM1", "ttyACM2"}) {
    portTree.AddPort(name, std::string("/nonexistent/velt-") + name);
  }
  logBrowser->clear();
  PickRefresh();
  ASSERT_EQ(ExtraPortCount(), maxExtraPorts);
  EXPECT_EQ(ExtraPortDevice(maxExtraPorts - 1), chosen);
  EXPECT_TRUE(ExtraPortMenuItem(maxExtraPorts - 1).value());
  EXPECT_EQ(LogLines(),
            SplitLogLine("@C1Портов больше, чем помещается в меню; не показано: 3."));
  ASSERT_EQ(checkPortSelected(), 0);
  EXPECT_EQ(selectedDevice, chosen);
}

TEST_F(PortMenuTest, AFirmwareLoadRunsThroughAChosenDiscoveredPort) {
  Simulator& com1 = AttachDevice(1);
  Simulator& usb = AttachDiscoveredDevice("ttyUSB0", simulatorById);
  StartProgram();
  ASSERT_EQ(ExtraPortCount(), 1);
  SelectExtraPort(0);
  EXPECT_TRUE(ExtraPortMenuItem(0).value());
  EXPECT_FALSE(PortMenuItem(1).value()) << "one radio group with COM 1-4";

  loadFirmwareButton->do_callback();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(selectedPort, 0);
  EXPECT_EQ(selectedDevice, portTree.DevicePath("ttyUSB0"));
  EXPECT_EQ(LastLogLine(), "@C4Запуск.");
  const FirmwareTables tables = BuiltInFirmwareTables();
  EXPECT_EQ(MemoryBytesAtImage(usb.Memory(2), *tables[1], 0x2000, 0x8000, firmwareBase),
            ImageBytes(*tables[1], 0x2000, 0x8000, firmwareBase));
  EXPECT_TRUE(usb.ApplicationRunning());
  EXPECT_TRUE(com1.Transcript().empty()) << "COM 1 was not chosen";
  EXPECT_FALSE(comPort.IsOpen());

  // Back on COM 1, the discovered port's device is not used again.
  SelectPort(1);
  logBrowser->clear();
  resetCoefficientsButton->do_callback();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(selectedPort, '1');
  EXPECT_EQ(selectedDevice, "");
  EXPECT_EQ(LastLogLine(), "@C4Запуск.");
  EXPECT_FALSE(com1.Transcript().empty());
}

}  // namespace

namespace {


TEST_F(PortMenuTest, RefreshFindsAPortAddedAfterStartAndTheLoadReachesIt) {
  StartOnDevice();
  ASSERT_EQ(ExtraPortCount(), 0);

  Simulator& usb = AttachDiscoveredDevice("ttyUSB0", simulatorById);
  PickRefresh();
  ASSERT_EQ(ExtraPortCount(), 1);
  EXPECT_EQ(PortLabels(), (std::vector<std::string>{"COM 1 ", "COM 2 ", "COM 3 ", "COM 4 ",
                                                    simulatorLabel, "Обновить список",
                                                    "Проверить линию"}));
  EXPECT_TRUE(ExtraPortMenuItem(0).active());
  EXPECT_TRUE(PortMenuItem(1).value()) << "COM 1 is still there, so still chosen";
  EXPECT_FALSE(ExtraPortMenuItem(0).value());
  EXPECT_EQ(LabelOf(mainMenu[aboutMenuItem + 1]), "Справка");
  EXPECT_EQ(logBrowser->size(), 0) << "a refresh says nothing";

  SelectExtraPort(0);
  loadFirmwareButton->do_callback();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LastLogLine(), "@C4Запуск.");
  EXPECT_TRUE(usb.ApplicationRunning());
  EXPECT_TRUE(devices[0]->Transcript().empty()) << "COM 1 was not chosen";
}

TEST_F(PortMenuTest, RefreshKeepsTheChosenDiscoveredPortWhereverItMoves) {
  StartProgram();
  AttachDiscoveredDevice("ttyUSB0", simulatorById);
  PickRefresh();
  SelectExtraPort(0);
  const std::string chosen = ExtraPortDevice(0);

  // A port that sorts before it moves it down the menu.
  portTree.AddPort("ttyACM0", "/nonexistent/velt-acm0");
  PickRefresh();
  ASSERT_EQ(ExtraPortCount(), 2);
  EXPECT_EQ(ExtraPortDevice(1), chosen);
  EXPECT_FALSE(ExtraPortMenuItem(0).value());
  EXPECT_FALSE(ExtraPortMenuItem(0).active()) << "probed as at the start";
  EXPECT_TRUE(ExtraPortMenuItem(1).value());
  for (int k = 1; k <= portCount; ++k) EXPECT_FALSE(PortMenuItem(k).value()) << k;
  ASSERT_EQ(checkPortSelected(), 0);
  EXPECT_EQ(selectedDevice, chosen);

  // Gone: nothing is chosen in its place.
  ASSERT_EQ(unlink(portTree.DevicePath("ttyUSB0").c_str()), 0);
  PickRefresh();
  EXPECT_EQ(ExtraPortCount(), 1);
  logBrowser->clear();
  loadFirmwareButton->do_callback();
  EXPECT_EQ(LogLines(), std::vector<std::string>{"@C1Порт не выбран."});
}

TEST_F(PortMenuTest, RefreshProbesComOneToFourAgainAndChoosesNothingInstead) {
  struct Case {
    const char* name;
    bool before[portCount];  // which ports lead to a device at the start
    bool after[portCount];   // ... and at the refresh
    int chosen;              // the port picked after the start, 0 for none
    bool expectedActive[portCount];
    int expectedChosen;
  };
  const Case cases[] = {
      {"a port plugged in later becomes usable, unchosen",
       {true, false, false, false}, {true, true, false, false}, 1,
       {true, true, false, false}, 1},
      {"the chosen port gone: greyed, nothing chosen in its place",
       {false, true, true, false}, {false, false, true, false}, 2,
       {false, false, true, false}, 0},
  };
  for (const Case& c : cases) {
    AttachPorts(c.before);
    StartProgram();
    if (c.chosen != 0) SelectPort(c.chosen);
    for (int k = 1; k <= portCount; ++k) {
      if (c.after[k - 1] && !c.before[k - 1]) AttachDevice(k);
      if (!c.after[k - 1]) DetachDevice(k);
    }
    PickRefresh();
    for (int k = 1; k <= portCount; ++k) {
      EXPECT_EQ(PortMenuItem(k).active() != 0, c.expectedActive[k - 1]) << c.name << ": COM " << k;
      EXPECT_EQ(PortMenuItem(k).value() != 0, k == c.expectedChosen) << c.name << ": COM " << k;
    }
  }
}

TEST_F(PortMenuTest, RefreshIsGreyedAndIgnoredWhileAJobRuns) {
  StartOnDevice(SlowDevice(5));
  EXPECT_TRUE(RefreshPortsMenuItem().active());
  loadFirmwareButton->do_callback();
  ASSERT_EQ(operationBusy, 1);
  EXPECT_FALSE(RefreshPortsMenuItem().active());

  // The worker owns the port: a refresh now would open it under the job.
  portTree.AddPort("ttyUSB5", "/nonexistent/velt-usb5");
  refreshPorts(menuBar, nullptr);
  EXPECT_EQ(ExtraPortCount(), 0);

  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(RefreshPortsMenuItem().active());
  EXPECT_EQ(LastLogLine(), "@C4Запуск.");
  PickRefresh();
  EXPECT_EQ(ExtraPortCount(), 1);
}

}  // namespace
