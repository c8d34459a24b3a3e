// What one device's job came to: the line a station's summary prints for
// it, and what a record of the job keeps.
#pragma once

#include <chrono>
#include <string>

#include "cli/flash_arguments.h"
#include "loader/procedures.h"

// The procedure's outcome, and the two ends a job can have before it.
enum class DeviceOutcome {
  started,
  startNotConfirmed,
  failed,
  noAnswer,
  portNotOpened,
  stopped,
  fileRejected,
};

struct DeviceResult {
  std::string port;  // as given
  FlashJob job = FlashJob::none;
  DeviceOutcome outcome = DeviceOutcome::failed;
  int status = 0;  // the device's exit status
  std::chrono::system_clock::time_point started;  // when its job began
  double seconds = 0;  // from then until its port was closed
  int pagesWritten = 0;
  int pagesVerified = 0;
  std::string lastLine;  // the job's last log line, without its colour prefix
  // The failed step and what came back, or why the port did not open; ""
  // when nothing failed.
  std::string failure;
};

DeviceOutcome DeviceOutcomeOf(Outcome outcome);

// "started", "noAnswer", ...: the outcome as a record file spells it.
const char* OutcomeName(DeviceOutcome outcome);

// "запущено", "не отвечает", ...: as the summary tells the operator.
const char* OutcomeWords(DeviceOutcome outcome);
