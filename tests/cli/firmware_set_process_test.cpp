// velt-flash with a firmware set given at run time: the set goes into the
// device, verify checks against it, firmware-info names it, and a set that
// does not fit is refused before anything is sent.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runner/load_firmware_set.h"
#include "sim/sim_preload.h"
#include "tests/cli/flash_process.h"
#include "tests/support/file_text.h"
#include "tests/support/hex_text.h"
#include "tests/support/image_bytes.h"
#include "tests/support/temporary_folder.h"

namespace {

using ::testing::HasSubstr;

class FirmwareSetRun : public OneDevice {
 protected:
  // Pages that the built-in images do not have: 60, 42 and 10, the first
  // and last of them partial.
  std::string WriteOddSet(const std::string& name) {
    const std::string dir = folder / name;
    mkdir(dir.c_str(), 0755);
    const HexBytes controllers[] = {PatternBytes(1, 0x2000, 60 * 64 - 10),
                                    PatternBytes(2, 0x2000, 42 * 64),
                                    PatternBytes(3, 0x3010, 10 * 64 - 16)};
    for (int c = 0; c < 3; ++c) {
      std::ofstream(dir + "/controller" + std::to_string(c + 1) + ".hex") << HexText(controllers[c]);
    }
    std::ofstream(dir + "/release.txt") << "Выпуск 7\n";
    return dir;
  }
  std::string Port() const { return device.DevicePath(); }
  TemporaryFolder folder{"velt-set"};
};

TEST_F(FirmwareSetRun, LoadsVerifiesAndNamesTheSetItWasGiven) {
  const std::string set = WriteOddSet("odd");
  FirmwareSet expected;
  FirmwareSetProblem problem;
  ASSERT_EQ(LoadFirmwareSet(set, expected, problem), FirmwareSetStatus::ok)
      << DescribeFirmwareSetProblem(problem);
  const FirmwareTables tables = SetTables(expected);
  const std::vector<uint8_t> coefficientsBefore = device.Memory(1);

  const FlashRun info = RunFlash({"firmware-info", "--firmware", set});
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(Lines(info.out), (LogLines{"выпуск: Выпуск 7", "контроллер 1: 60 страниц, 0x2000-0x2EFF",
                                       "контроллер 2: 42 страницы, 0x2000-0x2A7F",
                                       "контроллер 3: 10 страниц, 0x3000-0x327F",
                                       "sha256 " + expected.sha256}));

  const std::string record = folder / "jobs.csv";
  const FlashRun load = RunFlash({"--port", Port(), "--record", record, "firmware", "--firmware", set});
  ASSERT_EQ(load.status, 0) << load.err;
  ExpectTablesInMemory(device, tables);
  const std::vector<uint8_t> after = device.Memory(1);
  EXPECT_TRUE(std::equal(after.begin() + 0x7000, after.begin() + 0x7080,
                         coefficientsBefore.begin() + 0x7000))
      << "a set never touches the coefficients";
  EXPECT_THAT(FileText(record), HasSubstr(";" + expected.sha256 + ";"));
  EXPECT_THAT(FileText(record), HasSubstr(";Выпуск 7\r\n")) << "and its release, last";

  EXPECT_EQ(RunFlash({"--port", Port(), "verify", "--firmware", set}).status, 0);
  EXPECT_EQ(RunFlash({"--port", Port(), "verify"}).status, 1) << "the built-in images differ";
}

// Each refusal names the file and, where there is one, the line.
TEST_F(FirmwareSetRun, ASetThatDoesNotFitIsRefusedBeforeAnythingIsSent) {
  const std::string good = WriteOddSet("good");
  const struct {
    const char* name;
    std::string (*spoil)(const std::string& dir);
    const char* says;
  } cases[] = {
      {"bad checksum",
       [](const std::string& dir) {
         std::ofstream(dir + "/controller2.hex") << ":0220000001020B\n:00000001FF\n";
         return dir + "/controller2.hex, строка 1";
       },
       "контрольная сумма"},
      {"a byte in the coefficient pages",
       [](const std::string& dir) {
         std::ofstream(dir + "/controller1.hex") << HexText(PatternBytes(1, 0x7000, 16));
         return dir + "/controller1.hex";
       },
       "0x7000"},
      {"a missing file",
       [](const std::string& dir) {
         std::remove((dir + "/controller3.hex").c_str());
         return dir + "";
       },
       "controller3.hex"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string dir = WriteOddSet("bad" + std::to_string(n++));
    const std::string where = c.spoil(dir);
    for (const char* job : {"firmware", "verify"}) {
      const FlashRun run = RunFlash({"--port", Port(), job, "--firmware", dir});
      EXPECT_EQ(run.status, 5) << c.name;
      EXPECT_THAT(run.err, HasSubstr("набор прошивок отклонён: " + where)) << c.name;
      EXPECT_THAT(run.err, HasSubstr(c.says)) << c.name;
    }
    EXPECT_TRUE(device.Transcript().empty()) << c.name << ": nothing sent";
  }
  EXPECT_EQ(RunFlash({"--port", Port(), "reset", "--firmware", good}).status, 64)
      << "a set is for the jobs that move firmware";
}

// A device that was never loaded by the tool, holding the odd set: the
// read-out only reads, starts the application, and is the set again.
TEST_F(FirmwareSetRun, AReadOutOfADeviceIsTheSetItHolds) {
  const std::string set = WriteOddSet("odd");
  FirmwareSet expected;
  FirmwareSetProblem problem;
  ASSERT_EQ(LoadFirmwareSet(set, expected, problem), FirmwareSetStatus::ok);
  SimOptions options = Unpaced();
  std::string error;
  ASSERT_EQ(PreloadFirmwareSet(set, &options, &error), 0) << error;
  Simulator holding(options);
  ASSERT_TRUE(holding.Ok());

  const std::string out = folder / "out";
  const std::string record = folder / "jobs.csv";
  const FlashRun read =
      RunFlash({"--port", holding.DevicePath(), "--record", record, "read-firmware", out});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_THAT(read.out, HasSubstr("Набор прошивок записан в " + out + ", sha256 " + expected.sha256));
  for (const SimCommand kind : {SimCommand::erase, SimCommand::write, SimCommand::control,
                                SimCommand::null}) {
    EXPECT_EQ(holding.FramesReceived(kind), 0) << "it only reads";
  }
  EXPECT_TRUE(holding.ApplicationRunning());
  EXPECT_THAT(FileText(record), HasSubstr(";read-firmware;started;0;"));
  EXPECT_THAT(FileText(record), HasSubstr(";0;1088;" + expected.sha256 + ";"))
      << "every page of the three areas read, and the digest of what was read";
  EXPECT_THAT(FileText(out + "/release.txt"), HasSubstr("Порт: " + holding.DevicePath()));

  const FlashRun info = RunFlash({"firmware-info", "--firmware", out});
  EXPECT_THAT(info.out, HasSubstr("sha256 " + expected.sha256 + "\n"));
  EXPECT_EQ(RunFlash({"--port", holding.DevicePath(), "verify", "--firmware", out}).status, 0);
}

// Where the set could not be kept, nothing is left that looks like one.
TEST_F(FirmwareSetRun, AReadOutThatCannotBeKeptWritesNoSet) {
  const std::string full = folder / "full";
  mkdir(full.c_str(), 0755);
  std::ofstream(full + "/notes.txt") << "theirs";
  const std::string file = folder / "file";
  std::ofstream(file) << "x";
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    SimFaults faults;
    int status;
    const char* says;
    bool sent;
  } cases[] = {
      {"a folder that is not empty", {"read-firmware", full}, {}, 5, "папка не пуста (писать в неё: --force)", false},
      {"a file", {"read-firmware", file, "--force"}, {}, 5, "это не папка", false},
      {"the record as a file of the set",
       {"--record", full + "/controller1.hex", "read-firmware", full, "--force"}, {}, 64,
       "один файл", false},
      {"a read that gets no answer", {"read-firmware", folder / "new"},
       Faults([](SimFaults& f) { f.dropAnswer = {{SimCommand::read, 5, 20}}; }), 1, "", true},
  };
  for (const auto& c : cases) {
    device.SetFaults(c.faults);
    device.ClearTranscript();
    std::vector<std::string> arguments = {"--port", Port()};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const FlashRun run = RunFlash(arguments);
    EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
    EXPECT_THAT(run.err, HasSubstr(c.says)) << c.name;
    EXPECT_EQ(!device.Transcript().empty(), c.sent) << c.name;
  }
  EXPECT_FALSE(std::ifstream(folder / "new/release.txt")) << "no set from a failed read";
  EXPECT_EQ(FileText(full + "/notes.txt"), "theirs");
}

}  // namespace
