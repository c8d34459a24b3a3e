#include "cli/exit_status.h"

int ExitStatusOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::started:
      return exitStarted;
    case Outcome::startNotConfirmed:
      return exitStartNotConfirmed;
    case Outcome::failed:
      return exitFailed;
    case Outcome::noAnswer:
      return exitNoAnswer;
    case Outcome::stopped:
      return exitInterrupted;
  }
  return exitFailed;
}
