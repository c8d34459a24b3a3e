// velt-loader --firmware DIR: the set the first button loads, said in the
// log's first line; a refused set greys that button and nothing else.
#include <FL/Fl_Button.H>

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/message_log.h"
#include "app/window_firmware.h"
#include "runner/load_firmware_set.h"
#include "tests/app/app_fixture.h"
#include "tests/support/hex_text.h"
#include "tests/support/image_bytes.h"
#include "tests/support/loader_log_tables.h"

namespace {

class WindowFirmwareTest : public AppTest {
 protected:
  void TearDown() override {
    LoadWindowFirmware(std::nullopt);  // the next test has the built-in images
    loadFirmwareButton->activate();
    AppTest::TearDown();
  }
  // 60, 42 and 10 pages, none of them the built-in images'.
  std::string WriteSet(const std::string& name, const char* release) {
    const std::string dir = MakeWorkDirectory() + "/" + name;
    mkdir(dir.c_str(), 0755);
    const HexBytes bytes[] = {PatternBytes(1, 0x2000, 60 * 64), PatternBytes(2, 0x2000, 42 * 64),
                              PatternBytes(3, 0x3000, 10 * 64)};
    for (int c = 0; c < 3; ++c) {
      std::ofstream(dir + "/controller" + std::to_string(c + 1) + ".hex") << HexText(bytes[c]);
    }
    if (release != nullptr) std::ofstream(dir + "/release.txt") << release << "\n";
    return dir;
  }
};

TEST_F(WindowFirmwareTest, TheFirstLineNamesTheSetAndTheButtonLoadsIt) {
  Simulator& device = StartOnDevice();
  const struct {
    const char* release;
    const char* shown;  // in the first line
  } cases[] = {{"Выпуск 7", "Выпуск 7"}, {nullptr, "unnamed"}};
  for (const auto& c : cases) {
    const std::string dir = WriteSet(c.release ? "named" : "unnamed", c.release);
    FirmwareSet expected;
    FirmwareSetProblem problem;
    ASSERT_EQ(LoadFirmwareSet(dir, expected, problem), FirmwareSetStatus::ok);
    logBrowser->clear();
    LoadWindowFirmware(dir);
    EXPECT_EQ(LogLines(), SplitLogLine(std::string("@C4Прошивки: ") + c.shown + ", sha256 " +
                                       expected.sha256.substr(0, 12) + "."));
    EXPECT_TRUE(loadFirmwareButton->active());
  }
  logBrowser->clear();
  loadFirmwareButton->do_callback();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LogLines(), firmwareLoaded);
  FirmwareSet loaded;
  FirmwareSetProblem problem;
  ASSERT_EQ(LoadFirmwareSet(WorkDirectory() + "/unnamed", loaded, problem), FirmwareSetStatus::ok);
  const FirmwareTables tables = SetTables(loaded);
  EXPECT_EQ(MemoryBytesAtImage(device.Memory(2), *tables[1], 0x2000, 0x8000, 0x2000),
            ImageBytes(*tables[1], 0x2000, 0x8000, 0x2000));
}

TEST_F(WindowFirmwareTest, ARefusedSetGreysOnlyTheFirmwareButton) {
  StartOnDevice();
  const std::string dir = WriteSet("bad", "Выпуск 8");
  std::ofstream(dir + "/controller2.hex") << ":0220000001020B\n:00000001FF\n";
  logBrowser->clear();
  LoadWindowFirmware(dir);
  EXPECT_EQ(LogLines(), SplitLogLine("@C1Набор прошивок не принят: " + dir +
                                     "/controller2.hex, строка 1: неверная контрольная сумма."));
  EXPECT_FALSE(loadFirmwareButton->active());
  logBrowser->clear();
  resetCoefficientsButton->do_callback();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LogLines(), coefficientsReset) << "the coefficient jobs still work";
}

TEST(WindowFirmwareArguments, OnlyTheFirmwareOptionIsTaken) {
  const struct {
    std::vector<const char*> argv;
    std::optional<std::string> folder;
  } cases[] = {
      {{"velt-loader"}, std::nullopt},
      {{"velt-loader", "--firmware", "release-3"}, "release-3"},
      {{"velt-loader", "--record", "r.csv", "--firmware=Выпуск 3"}, "Выпуск 3"},
      {{"velt-loader", "--firmware"}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FirmwareFromArguments(static_cast<int>(c.argv.size()), c.argv.data()), c.folder);
  }
}

}  // namespace
