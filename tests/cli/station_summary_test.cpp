#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/device_result.h"
#include "cli/station_summary.h"

namespace {

DeviceResult Result(const std::string& port, DeviceOutcome outcome, int status, double seconds) {
  DeviceResult result;
  result.port = port;
  result.outcome = outcome;
  result.status = status;
  result.seconds = seconds;
  return result;
}

// The record's spelling of each outcome is what quality control filters on;
// the summary's words are what the operator reads.
TEST(StationSummary, OneLinePerDeviceWithOutcomeStatusAndSeconds) {
  struct Case {
    DeviceResult result;
    const char* name;
    std::string line;
  };
  const Case cases[] = {
      {Result("ttyUSB3", DeviceOutcome::started, 0, 41.26), "started",
       "ttyUSB3: итог: запущено, код 0, 41.3 с"},
      {Result("COM7", DeviceOutcome::startNotConfirmed, 3, 4.0), "startNotConfirmed",
       "COM7: итог: запуск не подтверждён, код 3, 4.0 с"},
      {Result("/dev/pts/4", DeviceOutcome::failed, 1, 0.04), "failed",
       "/dev/pts/4: итог: ошибка, код 1, 0.0 с"},
      {Result("2", DeviceOutcome::noAnswer, 2, 4.44), "noAnswer", "2: итог: не отвечает, код 2, 4.4 с"},
      {Result("ttyACM0", DeviceOutcome::portNotOpened, 4, 0), "portNotOpened",
       "ttyACM0: итог: порт не открылся, код 4, 0.0 с"},
      {Result("ttyS1", DeviceOutcome::stopped, 130, 0.75), "stopped",
       "ttyS1: итог: прервано, код 130, 0.8 с"},
      {Result("ttyS2", DeviceOutcome::fileRejected, 5, 0), "fileRejected",
       "ttyS2: итог: файл отклонён, код 5, 0.0 с"},
      // A port is shown, never obeyed.
      {Result("a\nb\x1b[2J", DeviceOutcome::started, 0, 1), "started",
       "a\xEF\xBF\xBD" "b\xEF\xBF\xBD[2J: итог: запущено, код 0, 1.0 с"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SummaryLine(c.result), c.line);
    EXPECT_STREQ(OutcomeName(c.result.outcome), c.name);
  }
}

}  // namespace
