// The record file on Windows: one header, rows that stay whole when two
// writers append at once, a Cyrillic name.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "record/job_record.h"
#include "record/record_file.h"

namespace {

std::string TextOf(const std::wstring& path) {
  std::string text;
  if (std::FILE* file = _wfopen(path.c_str(), L"rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
  }
  return text;
}

std::string Row(const char* port, int n) {
  JobRecord record;
  record.port = port;
  record.job = "firmware";
  record.pagesWritten = n;
  return FormatRecordRow(record);
}

TEST(RecordFileOnWindows, TwoWritersGiveWholeRowsAfterOneHeader) {
  char base[MAX_PATH];
  ASSERT_NE(GetTempPathA(sizeof base, base), 0u);
  const std::string path =
      std::string(base) + "Журнал " + std::to_string(GetCurrentProcessId()) + ".csv";
  std::wstring wide(path.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &wide[0], int(wide.size())) - 1);
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

  const std::string text = TextOf(wide);
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
  _wunlink(wide.c_str());
}

}  // namespace
