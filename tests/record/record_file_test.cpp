// The record file as several appenders share it: whole rows, one header.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
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

// What a crash left at the end of the file is closed before the next row,
// so that a CSV reader sees the torn row as one row and the new one whole.
TEST_F(RecordFileTest, ATornLastRowIsClosedBeforeTheNextRow) {
  const std::string header = RecordHeader();
  const struct {
    const char* name;
    std::string before;
    std::string lead;  // what must come between the old bytes and the row
  } cases[] = {
      {"cut inside a quoted field", header + "a;\"x;y", "\"\r\n"},
      {"cut after a doubled quote", header + "a;\"say \"\"hi\"\"", "\"\r\n"},
      {"cut after a closed quote", header + "a;\"x;y\"", "\r\n"},
      {"cut between CR and LF", header + "a;b\r", "\n"},
      {"cut after a line break inside quotes", header + "a;\"line\r\n", "\"\r\n"},
      {"LF line ends, whole", "a;b\n", ""},
  };
  for (const auto& c : cases) {
    folder.Write("jobs.csv", c.before);
    RecordFile file;
    std::string reason;
    ASSERT_EQ(file.Open(path, &reason), 0) << reason;
    ASSERT_EQ(file.Append(Row("COM2", 7), &reason), 0) << reason;
    EXPECT_EQ(FileText(path), c.before + c.lead + Row("COM2", 7)) << c.name;
  }
}

// Said once at the opening; the rows go in all the same, as they are the
// user's.
TEST_F(RecordFileTest, AFileThatIsNotARecordOfOursIsNamedSo) {
  const std::string header = RecordHeader();
  const std::string noMark = header.substr(3);
  const struct {
    std::string before;
    const char* oddity;  // "" for a file that looks like ours
  } cases[] = {
      {header + Row("COM1", 1), ""},
      {header + "a;b", ""},  // torn by a crash, but ours
      // begun before the last column was added
      {header.substr(0, header.rfind(';')) + "\r\n" + Row("COM1", 1), ""},
      {noMark, "нет метки порядка байтов"},
      {"\xEF\xBB\xBFname;value\r\n", "другой заголовок"},
      {header.substr(0, 10), "другой заголовок"},  // torn while it was written
      {header + "a;b\n", "LF"},
  };
  for (const auto& c : cases) {
    folder.Write("jobs.csv", c.before);
    RecordFile file;
    std::string reason;
    ASSERT_EQ(file.Open(path, &reason), 0) << reason;
    if (*c.oddity == '\0') EXPECT_EQ(file.Oddity(), "") << c.before;
    else EXPECT_THAT(file.Oddity(), ::testing::HasSubstr(c.oddity)) << c.before;
    ASSERT_EQ(file.Append(Row("COM2", 7), &reason), 0) << reason;
    EXPECT_THAT(FileText(path), ::testing::EndsWith(Row("COM2", 7)));
  }
}

// Refused at the opening, before any device is touched: none of these
// would ever keep a row.
TEST_F(RecordFileTest, OnlyARegularFileIsARecord) {
  const std::string fifo = folder / "fifo.csv";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string link = folder / "link.csv";
  ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
  const struct {
    std::string target;
    const char* reason;
  } cases[] = {
      {fifo, "канал"},
      {"/dev/null", "устройство"},
      {"/dev/full", "устройство"},
      {link, "устройство"},
      {folder.Path(), "папка"},
  };
  for (const auto& c : cases) {
    RecordFile file;
    std::string reason;
    EXPECT_EQ(file.Open(c.target, &reason), -1) << c.target;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_THAT(reason, ::testing::HasSubstr(c.reason)) << c.target;
  }
}

// Log rotation moves the file away between two rows: the next row goes
// under the name again, in a new file that starts with the header.
TEST_F(RecordFileTest, TheNextRowGoesUnderTheNameWhereverTheFileWent) {
  RecordFile file;
  std::string reason;
  ASSERT_EQ(file.Open(path, &reason), 0) << reason;
  ASSERT_EQ(file.Append(Row("COM1", 1), &reason), 0) << reason;
  const std::string rotated = folder / "jobs.csv.1";
  ASSERT_EQ(std::rename(path.c_str(), rotated.c_str()), 0);
  ASSERT_EQ(file.Append(Row("COM1", 2), &reason), 0) << reason;
  EXPECT_EQ(FileText(rotated), RecordHeader() + Row("COM1", 1));
  EXPECT_EQ(FileText(path), RecordHeader() + Row("COM1", 2));

  ASSERT_EQ(std::remove(path.c_str()), 0);
  ASSERT_EQ(file.Append(Row("COM1", 3), &reason), 0) << reason;
  EXPECT_EQ(FileText(path), RecordHeader() + Row("COM1", 3));

  // A name that cannot be opened again fails the row, with the reason.
  std::filesystem::remove_all(folder.Path());
  EXPECT_EQ(file.Append(Row("COM1", 4), &reason), -1);
  EXPECT_THAT(reason, ::testing::HasSubstr("заново не открылся"));
}

// A full disk cuts a write anywhere; the file limit does the same to a
// child. What the failed write left is taken out, so the next row follows
// whole rows only.
TEST_F(RecordFileTest, ARowThatDoesNotFitLeavesTheFileAsItWas) {
  {
    RecordFile file;
    std::string reason;
    ASSERT_EQ(file.Open(path, &reason), 0) << reason;
    ASSERT_EQ(file.Append(Row("COM1", 1), &reason), 0) << reason;
  }
  const std::string before = FileText(path);
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG
    const rlimit limit{before.size() + 20, before.size() + 20};  // a piece of the row fits
    setrlimit(RLIMIT_FSIZE, &limit);
    RecordFile file;
    std::string reason;
    if (file.Open(path, &reason) != 0) _exit(1);
    _exit(file.Append(Row("COM2;\"quoted\"", 2), &reason) == -1 ? 0 : 2);
  }
  int status = -1;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the append that did not fit must fail";
  EXPECT_EQ(FileText(path), before);

  RecordFile file;
  std::string reason;
  ASSERT_EQ(file.Open(path, &reason), 0) << reason;
  ASSERT_EQ(file.Append(Row("COM3", 3), &reason), 0) << reason;
  EXPECT_EQ(FileText(path), before + Row("COM3", 3));
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
