// The record file as several appenders share it: whole rows, one header.
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "record/job_record.h"
#include "record/record_file.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/file_text.h"

namespace {

class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder.Ok()); }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    const std::string text = FileText(path);
    for (size_t start = 0; start < text.size();) {
      const size_t end = text.find("\r\n", start);
      if (end == std::string::npos) {
        rows.push_back(text.substr(start) + "<no line end>");
        break;
      }
      rows.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return rows;
  }

  TemporaryFolder folder{"velt-record"};
  std::string path = folder / "jobs.csv";
};

std::string Row(const std::string& port, int n) {
  JobRecord record;
  record.port = port;
  record.job = "firmware";
  record.outcome = "started";
  record.pagesWritten = n;
  return FormatRecordRow(record);
}

TEST_F(RecordFileTest, TheHeaderComesOnceAndRowsFollowIt) {
  for (int round = 0; round < 2; ++round) {
    RecordFile file;
    std::string reason;
    ASSERT_EQ(file.Open(path, &reason), 0) << reason;
    ASSERT_EQ(file.Append(Row("COM1", round), &reason), 0) << reason;
  }
  const std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0] + "\r\n", RecordHeader());
  EXPECT_EQ(rows[1] + "\r\n", Row("COM1", 0));
  EXPECT_EQ(rows[2] + "\r\n", Row("COM1", 1));
}

TEST_F(RecordFileTest, ARowACrashCutShortIsNotGluedToTheNext) {
  std::ofstream(path, std::ios::binary) << RecordHeader() << "2026-12-09T02:29:13Z;stand;CO";
  RecordFile file;
  std::string reason;
  ASSERT_EQ(file.Open(path, &reason), 0) << reason;
  ASSERT_EQ(file.Append(Row("COM2", 7), &reason), 0) << reason;
  const std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1], "2026-12-09T02:29:13Z;stand;CO");
  EXPECT_EQ(rows[2] + "\r\n", Row("COM2", 7));
}

TEST_F(RecordFileTest, TwoProcessesAppendingFiftyRowsEachGiveAHundredWholeRows) {
  constexpr int rowsEach = 50;
  const char* const ports[] = {"ttyUSB0-with-a-long-name", "ttyUSB1"};
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    if (children[c] == 0) {
      RecordFile file;
      std::string reason;
      if (file.Open(path, &reason) != 0) _exit(1);
      for (int n = 0; n < rowsEach; ++n) {
        if (file.Append(Row(ports[c], n), &reason) != 0) _exit(2);
      }
      _exit(0);
    }
  }
  for (pid_t child : children) {
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows.size(), 1u + 2 * rowsEach);
  EXPECT_EQ(rows[0] + "\r\n", RecordHeader());
  int seen[2] = {0, 0};
  for (size_t i = 1; i < rows.size(); ++i) {
    bool whole = false;
    for (int c = 0; c < 2; ++c) {
      for (int n = 0; n < rowsEach && !whole; ++n) {
        if (rows[i] + "\r\n" == Row(ports[c], n)) {
          whole = true;
          ++seen[c];
        }
      }
    }
    EXPECT_TRUE(whole) << rows[i];
  }
  EXPECT_EQ(seen[0], rowsEach);
  EXPECT_EQ(seen[1], rowsEach);
}

TEST_F(RecordFileTest, AFileThatCannotBeOpenedSaysWhy) {
  path = folder / "no such folder/jobs.csv";
  RecordFile file;
  std::string reason;
  EXPECT_EQ(file.Open(path, &reason), -1);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_THAT(reason, ::testing::HasSubstr("не удалось открыть"));
  EXPECT_EQ(file.Append(Row("COM1", 0), &reason), -1);
}

}  // namespace
