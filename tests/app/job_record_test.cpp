// The window's job record: a row per job, as velt-flash writes them.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/choose_coefficient_file.h"
#include "app/job_recording.h"
#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/window_device.h"
#include "app/window_coefficients.h"
#include "coeff/coefficient_file.h"
#include "link/com_port.h"
#include "record/job_record.h"
#include "tests/app/app_fixture.h"
#include "tests/support/file_text.h"
#include "tests/support/sim_settings.h"

namespace {

using Fields = std::vector<std::string>;

// The record's rows after its header, split into fields (none is quoted here).
std::vector<Fields> RecordRows(const std::string& path) {
  const std::string text = FileText(path);
  std::vector<Fields> rows;
  size_t start = RecordHeader().size();
  if (text.compare(0, start, RecordHeader()) != 0) return rows;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    const std::string line = text.substr(start, end - start);
    Fields fields;
    for (size_t from = 0;;) {
      const size_t semicolon = line.find(';', from);
      fields.push_back(line.substr(from, semicolon - from));
      if (semicolon == std::string::npos) break;
      from = semicolon + 1;
    }
    rows.push_back(fields);
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return rows;
}

enum Column { port = 2, job, outcome, exitStatus, seconds, written, verified, firmware,
              coefficientsFile, coefficientsSha, version, lastLine, failure, release };

// What the record says of a file in a folder that is not there.
std::string NoSuchFile() { return std::string("не удалось открыть: ") + std::strerror(ENOENT); }

class WindowJobRecordTest : public AppTest {
 protected:
  void TearDown() override {
    recordPath.clear();
    AppTest::TearDown();
  }
  void Press(Fl_Button* button) {
    button->do_callback();
    ASSERT_TRUE(WaitIdle());
  }
};

TEST_F(WindowJobRecordTest, EachJobLeavesItsRowWithWhatItDid) {
  Simulator& device = StartOnDevice();
  const std::string directory = WorkDirectory();
  const std::string file = WriteCoefficientFile("k.koeff", "2.5");
  ASSERT_EQ(LoadCoefficientFile(file.c_str()), 0);
  loadedCoefficientFile = file;
  coefficientsLoaded = 1;
  recordPath = directory + "/jobs.csv";

  Press(loadFirmwareButton);
  Press(writeCoefficientsButton);
  device.SetFaults(Faults([](SimFaults& f) { f.silent = true; }));
  Press(resetCoefficientsButton);

  const std::vector<Fields> rows = RecordRows(recordPath);
  ASSERT_EQ(rows.size(), 3u) << FileText(recordPath);
  const struct {
    const char* job;
    const char* outcome;
    const char* exit;
    const char* written;
    const char* verified;
    const char* last;
  } expected[] = {
      {"firmware", "started", "0", "149", "149", "Запуск."},
      {"write", "started", "0", "2", "2", "Запуск."},
      {"reset", "noAnswer", "2", "0", "0", "Не отвечает."},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    const Fields& row = rows[i];
    ASSERT_EQ(row.size(), static_cast<size_t>(release + 1)) << i;
    EXPECT_EQ(row[port], "COM1");
    EXPECT_EQ(row[job], expected[i].job);
    EXPECT_EQ(row[outcome], expected[i].outcome) << row[job];
    EXPECT_EQ(row[exitStatus], expected[i].exit) << row[job];
    EXPECT_EQ(row[written], expected[i].written) << row[job];
    EXPECT_EQ(row[verified], expected[i].verified) << row[job];
    EXPECT_EQ(row[lastLine], expected[i].last) << row[job];
    EXPECT_EQ(row[firmware].size(), 64u);
    EXPECT_EQ(row[version], VELT_VERSION);
    EXPECT_NE(row[seconds].find('.'), std::string::npos);
  }
  EXPECT_EQ(rows[0][coefficientsSha], "") << "a firmware load sends no coefficients";
  EXPECT_EQ(rows[1][coefficientsFile], file);
  EXPECT_EQ(rows[1][coefficientsSha].size(), 64u);
  EXPECT_NE(rows[2][coefficientsSha], rows[1][coefficientsSha]) << "the defaults are not 2.5";
}

// The log shows the save's result split to its width; the record has it whole.
TEST_F(WindowJobRecordTest, ASavesRowHasItsResultLineWhole) {
  Simulator& device = StartOnDevice();
  const std::string directory = WorkDirectory();
  std::vector<uint8_t> zeros(coefficientPagesSize, 0x00);  // 28 times 0.0, then the filler
  std::fill(zeros.begin() + 4 * coefficientCount, zeros.end(), 0xFF);
  device.SetMemory(1, coefficientPagesStart, zeros);
  recordPath = directory + "/jobs.csv";
  SaveFromMenu(directory + "/saved.koeff");
  ASSERT_TRUE(WaitIdle());
  const std::vector<Fields> rows = RecordRows(recordPath);
  ASSERT_EQ(rows.size(), 1u) << FileText(recordPath);
  EXPECT_EQ(rows[0][lastLine], "Коэффициенты сохранены.");
  EXPECT_EQ(LastLogLine(), SplitLogLine("@C4Коэффициенты сохранены.").back());
}

TEST_F(WindowJobRecordTest, APortThatDoesNotOpenAndARecordThatCannotBeWritten) {
  Simulator& device = StartOnDevice();
  const std::string directory = WorkDirectory();
  recordPath = directory + "/jobs.csv";
  ComPort other;  // holds the port after the probe
  ASSERT_EQ(other.OpenDevice(device.DevicePath().c_str()), 0);
  Press(loadFirmwareButton);
  other.Close();
  const std::vector<Fields> rows = RecordRows(recordPath);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][outcome], "portNotOpened");
  EXPECT_EQ(rows[0][exitStatus], "4");
  EXPECT_EQ(rows[0][lastLine], "Порт не соединился.");
  EXPECT_NE(rows[0][failure].find("не открылся"), std::string::npos) << "and why, as velt-flash";

  // The job is done all the same; only the row is missing, and the log says so.
  recordPath = directory + "/no such folder/jobs.csv";
  logBrowser->clear();
  Press(loadFirmwareButton);
  const std::vector<std::string> lines = LogLines();
  const std::vector<std::string> reason = SplitLogLine("@C1" + recordPath + ": " + NoSuchFile());
  ASSERT_GE(lines.size(), reason.size() + 2);
  EXPECT_EQ(std::vector<std::string>(lines.end() - reason.size(), lines.end()), reason);
  EXPECT_EQ(lines[lines.size() - reason.size() - 1], "@C1Журнал работ недоступен.");
  EXPECT_EQ(lines[lines.size() - reason.size() - 2], "@C4Запуск.");
  EXPECT_TRUE(device.ApplicationRunning());
}

// The record is opened at start, as velt-flash opens it: what keeps it from
// being kept is in the log before any job, with its reason.
TEST_F(WindowJobRecordTest, ARecordThatCannotBeKeptIsSaidAtStart) {
  StartOnDevice();
  const std::string missing = WorkDirectory() + "/no such folder/jobs.csv";
  const struct {
    std::optional<std::string> option;
    std::vector<std::string> lines;
  } cases[] = {
      {std::nullopt, {}},
      {std::string(""), SplitLogLine("@C1Журнал работ не ведётся: после --record нет файла.")},
      {missing, SplitLogLine("@C1" + missing + ": " + NoSuchFile())},
  };
  for (const auto& c : cases) {
    logBrowser->clear();
    OpenWindowRecord(c.option);
    std::vector<std::string> expected = c.lines;
    if (c.option && !c.option->empty()) {
      expected.insert(expected.begin(), "@C1Журнал работ недоступен.");
    }
    EXPECT_EQ(LogLines(), expected);
  }
  recordPath.clear();
}

TEST(WindowJobRecordArguments, OnlyTheRecordOptionIsTakenAndTheRestIgnored) {
  const struct {
    std::vector<const char*> argv;
    std::optional<std::string> path;
  } cases[] = {
      {{"velt-loader"}, std::nullopt},
      {{"velt-loader", "--record", "jobs.csv"}, "jobs.csv"},
      {{"velt-loader", "-x", "--record=Журнал.csv", "extra"}, "Журнал.csv"},
      {{"velt-loader", "--record"}, ""},
      {{"velt-loader", "--recorder", "jobs.csv"}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RecordPathFromArguments(static_cast<int>(c.argv.size()), c.argv.data()), c.path)
        << c.argv.size();
  }
}

}  // namespace
