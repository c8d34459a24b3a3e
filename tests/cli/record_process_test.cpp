// velt-flash --record: a row per device job, the record opened before any
// port, and a row that cannot be written told as the device's status 6.
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "loader/firmware/firmware_images.h"
#include "record/job_identity.h"
#include "record/job_record.h"
#include "record/record_file.h"
#include "sim/simulator.h"
#include "tests/cli/flash_process.h"
#include "tests/support/file_text.h"

namespace {

using Fields = std::vector<std::string>;

enum Column { startTime, station, port, job, outcome, exitStatus, seconds, written, verified, firmware,
              coefficientsFile, coefficientsSha, version, lastLine, failure, columnCount };

SimOptions Unpaced(const SimFaults& faults = {}) {
  SimOptions options;
  options.baud = 0;
  options.faults = faults;
  return options;
}

// The rows after the one header, by port (no field here needs quotes).
std::map<std::string, std::vector<Fields>> RowsByPort(const std::string& path) {
  std::map<std::string, std::vector<Fields>> rows;
  const std::string text = FileText(path);
  EXPECT_EQ(text.compare(0, RecordHeader().size(), RecordHeader()), 0) << "BOM and header first";
  EXPECT_EQ(text.find("time;station", RecordHeader().size()), std::string::npos)
      << "the header once";
  for (size_t start = RecordHeader().size(); start < text.size();) {
    const size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "every row ends in CR LF";
    if (end == std::string::npos) break;
    Fields fields;
    const std::string line = text.substr(start, end - start);
    for (size_t from = 0;;) {
      const size_t semicolon = line.find(';', from);
      fields.push_back(line.substr(from, semicolon - from));
      if (semicolon == std::string::npos) break;
      from = semicolon + 1;
    }
    EXPECT_EQ(fields.size(), static_cast<size_t>(columnCount)) << line;
    if (fields.size() == static_cast<size_t>(columnCount)) rows[fields[port]].push_back(fields);
    start = end + 2;
  }
  return rows;
}

std::string TemporaryFolder() {
  char pattern[] = "/tmp/velt-record-XXXXXX";
  return mkdtemp(pattern);
}

std::string SoundCoefficients(const std::string& folder) {
  const std::string file = folder + "/k.koeff";
  std::string text;
  for (int n = 0; n < 28; ++n) text += "2.5\n";
  FILE* out = std::fopen(file.c_str(), "w");
  std::fputs(text.c_str(), out);
  std::fclose(out);
  return file;
}

TEST(VeltFlashRecord, EveryDeviceJobLeavesOneRowWhateverItsEnd) {
  SimFaults silent;
  silent.silent = true;
  Simulator sound(Unpaced());
  Simulator quiet(Unpaced(silent));
  Simulator alsoSound(Unpaced());
  ASSERT_TRUE(sound.Ok() && quiet.Ok() && alsoSound.Ok());
  const std::string absent = "/dev/velt-no-such-port";
  const std::string folder = TemporaryFolder();
  const std::string record = folder + "/jobs.csv";
  const FlashRun run = RunFlash({"--record", record, "-p", sound.DevicePath(), "-p",
                                 quiet.DevicePath(), "-p", absent, "-p", alsoSound.DevicePath(),
                                 "firmware"});
  EXPECT_EQ(run.status, 2) << run.err;

  struct Expected {
    std::string port;
    const char* outcome;
    const char* exit;
    const char* written;
    const char* verified;
    const char* last;
    const char* failurePart;
  };
  const Expected expected[] = {
      {sound.DevicePath(), "started", "0", "149", "149", "Запуск.", ""},
      {quiet.DevicePath(), "noAnswer", "2", "0", "0", "Не отвечает.", ""},
      {absent, "portNotOpened", "4", "0", "0", "", "не открылся: порт не найден"},
      {alsoSound.DevicePath(), "started", "0", "149", "149", "Запуск.", ""},
  };
  std::map<std::string, std::vector<Fields>> rows = RowsByPort(record);
  ASSERT_EQ(rows.size(), 4u) << FileText(record);
  for (const Expected& e : expected) {
    ASSERT_EQ(rows[e.port].size(), 1u) << e.port;
    const Fields& row = rows[e.port][0];
    EXPECT_EQ(row[station], HostName());
    EXPECT_EQ(row[job], "firmware");
    EXPECT_EQ(row[outcome], e.outcome) << e.port;
    EXPECT_EQ(row[exitStatus], e.exit) << e.port;
    EXPECT_EQ(row[written], e.written) << e.port;
    EXPECT_EQ(row[verified], e.verified) << e.port;
    EXPECT_EQ(row[firmware], FirmwareSha256(BuiltInFirmwareTables()));
    EXPECT_EQ(row[coefficientsFile], "");
    EXPECT_EQ(row[coefficientsSha], "") << "a firmware load sends no coefficients";
    EXPECT_EQ(row[lastLine], e.last) << e.port;
    EXPECT_NE(row[failure].find(e.failurePart), std::string::npos) << row[failure];
  }

  // Later runs append to the same file: a write on one port, and a file
  // rejected for two, which still leaves a row for each.
  const std::string coefficients = SoundCoefficients(folder);
  EXPECT_EQ(RunFlash({"--record=" + record, "-p", sound.DevicePath(), "write", coefficients}).status,
            0);
  const std::string broken = folder + "/broken.koeff";
  std::fclose(std::fopen(broken.c_str(), "w"));
  const int before = sound.FramesReceived(SimCommand::query);
  const FlashRun rejected = RunFlash({"--record", record, "-p", sound.DevicePath(), "-p",
                                      alsoSound.DevicePath(), "write", broken});
  EXPECT_EQ(rejected.status, 5);
  EXPECT_EQ(Lines(rejected.err),
            std::vector<std::string>{"velt-flash: файл коэффициентов " + broken +
                                     " отклонён: файл пуст"})
      << "said once, for all the ports";
  EXPECT_EQ(Lines(rejected.out),
            (std::vector<std::string>{sound.DevicePath() + ": итог: файл отклонён, код 5, 0.0 с",
                                      alsoSound.DevicePath() + ": итог: файл отклонён, код 5, 0.0 с"}));
  EXPECT_EQ(sound.FramesReceived(SimCommand::query), before) << "nothing sent";
  rows = RowsByPort(record);
  ASSERT_EQ(rows[sound.DevicePath()].size(), 3u);
  const Fields& write = rows[sound.DevicePath()][1];
  EXPECT_EQ(write[job], "write");
  EXPECT_EQ(write[coefficientsFile], coefficients);
  EXPECT_TRUE(std::regex_match(write[coefficientsSha], std::regex("[0-9a-f]{64}")));
  EXPECT_EQ(write[written], "2");
  for (const std::string& device : {sound.DevicePath(), alsoSound.DevicePath()}) {
    const Fields& rejected = rows[device].back();
    EXPECT_EQ(rejected[outcome], "fileRejected") << device;
    EXPECT_EQ(rejected[exitStatus], "5");
    EXPECT_EQ(rejected[coefficientsFile], broken);
    EXPECT_EQ(rejected[coefficientsSha], "") << "nothing was read, nothing sent";
  }
  for (const std::string& file : {record, coefficients, broken}) unlink(file.c_str());
  rmdir(folder.c_str());
}

TEST(VeltFlashRecord, ARecordThatCannotBeOpenedStopsTheRunBeforeAnyPort) {
  Simulator first(Unpaced());
  Simulator second(Unpaced());
  ASSERT_TRUE(first.Ok() && second.Ok());
  const std::string record = "/tmp/velt-no-such-folder/jobs.csv";
  const std::vector<std::vector<std::string>> commands = {
      {"--record", record, "-p", first.DevicePath(), "reset"},
      {"--record", record, "-p", first.DevicePath(), "-p", second.DevicePath(), "firmware"},
  };
  for (const std::vector<std::string>& command : commands) {
    const FlashRun run = RunFlash(command);
    EXPECT_EQ(run.status, 6);
    EXPECT_EQ(run.err.rfind("velt-flash: журнал работ недоступен: " + record + ": ", 0), 0u)
        << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_TRUE(first.Transcript().empty());
  EXPECT_TRUE(second.Transcript().empty());
}

// A pipe opens and locks like a file, but takes no row.
TEST(VeltFlashRecord, ARowThatCannotBeWrittenMakesThatDeviceStatusSix) {
  Simulator first(Unpaced());
  Simulator second(Unpaced());
  ASSERT_TRUE(first.Ok() && second.Ok());
  const std::string folder = TemporaryFolder();
  const std::string record = folder + "/fifo.csv";
  ASSERT_EQ(mkfifo(record.c_str(), 0600), 0);
  const std::vector<std::string> ports = {first.DevicePath(), second.DevicePath()};
  const FlashRun station =
      RunFlash({"--record", record, "-p", ports[0], "-p", ports[1], "reset"});
  EXPECT_EQ(station.status, 6);
  for (const std::string& port : ports) {
    EXPECT_TRUE(std::regex_search(station.out,
                                  std::regex(port + ": итог: запущено, код 6, \\d+\\.\\d с\n")))
        << station.out;
    EXPECT_NE(station.err.find(port + ": velt-flash: журнал работ недоступен: " + record),
              std::string::npos)
        << station.err;
  }
  const FlashRun one = RunFlash({"--record", record, "-p", ports[0], "reset"});
  EXPECT_EQ(one.status, 6);
  EXPECT_NE(one.out.find("Запуск."), std::string::npos) << "the job itself was done";
  unlink(record.c_str());
  rmdir(folder.c_str());
}

}  // namespace
