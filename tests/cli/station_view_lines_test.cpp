// The station's prefixed lines, written by one thread per device into one
// stream, as a pipe with stdout and stderr joined (2>&1) gets them.
#include <unistd.h>

#include <cstdio>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "cli/station_view_lines.h"
#include "tests/support/stream_text.h"

namespace {

constexpr int devices = 8;
constexpr int linesEach = 300;
const std::string bytes = "0F 0F 03 01 00 70 00 8C 04 0F 0F 03 01 00 70 00 8C 04";

std::vector<DevicePort> Ports() {
  std::vector<DevicePort> ports;
  for (int n = 0; n < devices; ++n) {
    ports.push_back({"ttyUSB" + std::to_string(n), "/dev/ttyUSB" + std::to_string(n)});
  }
  return ports;
}

// Two streams onto one file, as stdout and stderr onto one pipe (2>&1), with
// buffers far shorter than a line: a line written in pieces would let the
// other stream's bytes in between.
struct JoinedStreams {
  JoinedStreams() {
    char pattern[] = "/tmp/velt-station-lines-XXXXXX";
    const int fd = mkstemp(pattern);
    unlink(pattern);
    out = fdopen(fd, "a+");
    errors = fdopen(dup(fd), "a");
    // glibc ignores the size unless it is given the buffer too.
    std::setvbuf(out, outBuffer, _IOFBF, tinyBuffer);
    std::setvbuf(errors, errorBuffer, _IOFBF, tinyBuffer);
  }
  ~JoinedStreams() {
    std::fclose(errors);
    std::fclose(out);
  }
  static constexpr int tinyBuffer = 16;
  char outBuffer[tinyBuffer];
  char errorBuffer[tinyBuffer];
  std::FILE* out;
  std::FILE* errors;
};

// Every device says a lot at once, on both streams; each line must arrive
// whole behind its own prefix, and each device's lines in its order.
TEST(StationLineView, LinesOfDevicesNeverBreakIntoEachOther) {
  JoinedStreams streams;
  ASSERT_NE(streams.out, nullptr);
  StationLineView view(Ports(), {streams.out, streams.errors, false, false, true});
  std::vector<DeviceReports> reports;
  for (int n = 0; n < devices; ++n) reports.push_back(view.ReportsFor(n));
  std::vector<std::thread> threads;
  for (int n = 0; n < devices; ++n) {
    threads.emplace_back([&reports, n] {
      const std::string frame = "     1.234 > " + bytes;
      for (int i = 0; i < linesEach; ++i) {
        reports[n].log(LineKind::progress, ("Контроллер 2 - запись " + std::to_string(i)).c_str());
        reports[n].frames(frame);
        reports[n].error("velt-flash: строка " + std::to_string(i));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  const std::regex line(R"(ttyUSB(\d): (Контроллер 2 - запись|velt-flash: строка) (\d+))");
  std::map<std::string, int> next;  // per device and kind: the number expected
  int frames = 0;
  std::fflush(streams.errors);
  std::istringstream in(StreamText(streams.out));
  for (std::string text; std::getline(in, text);) {
    std::smatch match;
    if (text.find(" > " + bytes) != std::string::npos) {
      EXPECT_TRUE(std::regex_match(text, std::regex(R"(ttyUSB\d:      1\.234 > .*04)"))) << text;
      ++frames;
      continue;
    }
    ASSERT_TRUE(std::regex_match(text, match, line)) << text;
    const std::string key = match[1].str() + match[2].str();
    EXPECT_EQ(std::stoi(match[3]), next[key]++) << text;
  }
  EXPECT_EQ(frames, devices * linesEach);
  EXPECT_EQ(next.size(), static_cast<size_t>(2 * devices));
  for (const auto& counted : next) EXPECT_EQ(counted.second, linesEach) << counted.first;
}

}  // namespace
