#include "cli/exit_rule.h"

#include "runner/exit_status.h"

int StationExitStatus(const std::vector<int>& deviceStatuses) {
  for (const int status : deviceStatuses) {
    if (status != exitStarted) return status;
  }
  return exitStarted;
}
