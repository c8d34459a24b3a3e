#include "runner/exit_status.h"

int ExitStatusOf(JobOutcome outcome) {
  switch (outcome) {
    case JobOutcome::started:
      return exitStarted;
    case JobOutcome::startNotConfirmed:
      return exitStartNotConfirmed;
    case JobOutcome::failed:
      return exitFailed;
    case JobOutcome::noAnswer:
      return exitNoAnswer;
    case JobOutcome::portNotOpened:
      return exitPortUnusable;
    case JobOutcome::stopped:
      return exitInterrupted;
    case JobOutcome::fileRejected:
      return exitFileRejected;
  }
  return exitFailed;
}
