// The record file on Windows: one header, rows that stay whole when two
// writers append at once, a Cyrillic name.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "record/job_record.h"
#include "record/record_file.h"
#include "record/same_file.h"
#include "tests/windows/win32_files.h"

namespace {

std::string Row(const char* port, int n) {
  JobRecord record;
  record.port = port;
  record.job = "firmware";
  record.pagesWritten = n;
  return FormatRecordRow(record);
}

TEST(RecordFileOnWindows, TwoWritersGiveWholeRowsAfterOneHeader) {
  ASSERT_NE(TempPath(), "");
  const std::string path = TempPath() + "Журнал " + std::to_string(GetCurrentProcessId()) + ".csv";
  constexpr int rowsEach = 50;
  const char* const ports[] = {"COM7", "COM12"};
  auto writer = [&](const char* port) {
    RecordFile file;  // a handle of its own: the file lock keeps the two apart
    std::string reason;
    ASSERT_EQ(file.Open(path, &reason), 0) << reason;
    for (int n = 0; n < rowsEach; ++n) ASSERT_EQ(file.Append(Row(port, n), &reason), 0) << reason;
  };
  std::thread first(writer, ports[0]);
  std::thread second(writer, ports[1]);
  first.join();
  second.join();

  const std::string text = TextOf(path);
  ASSERT_EQ(text.compare(0, RecordHeader().size(), RecordHeader()), 0);
  const std::string rest = text.substr(RecordHeader().size());
  int rows = 0;
  for (size_t start = 0; start < rest.size(); ++rows) {
    const size_t end = rest.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string row = rest.substr(start, end + 2 - start);
    bool whole = false;
    for (const char* port : ports) {
      for (int n = 0; n < rowsEach; ++n) whole = whole || row == Row(port, n);
    }
    EXPECT_TRUE(whole) << row;
    start = end + 2;
  }
  EXPECT_EQ(rows, 2 * rowsEach);
  _wunlink(Wide(path).c_str());
}

// NUL and CON take every write and keep nothing; a folder takes none.
TEST(RecordFileOnWindows, OnlyAFileOnADiskIsARecord) {
  const struct {
    std::string target;
    const char* reason;
  } cases[] = {
      {"NUL", "устройство"},
      {TempPath(), "папка"},
  };
  for (const auto& c : cases) {
    RecordFile file;
    std::string reason;
    EXPECT_EQ(file.Open(c.target, &reason), -1) << c.target;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.target << ": " << reason;
  }
}

// Windows names files without regard to case, and either slash.
TEST(SameFileOnWindows, IsOneFileWhateverTheCaseOrSlash) {
  const std::string folder = TempFolder("velt-same");
  ASSERT_NE(folder, "");
  const std::string log = folder + "\\Журнал.csv";
  std::FILE* file = _wfopen(Wide(log).c_str(), L"wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_TRUE(SameFile(log, folder + "/ЖУРНАЛ.CSV"));
  EXPECT_FALSE(SameFile(log, folder + "\\other.csv"));
  EXPECT_TRUE(SameFile(folder + "\\new.csv", folder + "\\.\\NEW.csv"));  // neither made yet
  _wunlink(Wide(log).c_str());
}

}  // namespace
