#include "cli/device_result.h"

DeviceOutcome DeviceOutcomeOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::started:
      return DeviceOutcome::started;
    case Outcome::startNotConfirmed:
      return DeviceOutcome::startNotConfirmed;
    case Outcome::failed:
      return DeviceOutcome::failed;
    case Outcome::noAnswer:
      return DeviceOutcome::noAnswer;
    case Outcome::stopped:
      return DeviceOutcome::stopped;
  }
  return DeviceOutcome::failed;
}

const char* OutcomeName(DeviceOutcome outcome) {
  switch (outcome) {
    case DeviceOutcome::started:
      return "started";
    case DeviceOutcome::startNotConfirmed:
      return "startNotConfirmed";
    case DeviceOutcome::failed:
      return "failed";
    case DeviceOutcome::noAnswer:
      return "noAnswer";
    case DeviceOutcome::portNotOpened:
      return "portNotOpened";
    case DeviceOutcome::stopped:
      return "stopped";
    case DeviceOutcome::fileRejected:
      return "fileRejected";
  }
  return "";
}

const char* OutcomeWords(DeviceOutcome outcome) {
  switch (outcome) {
    case DeviceOutcome::started:
      return "запущено";
    case DeviceOutcome::startNotConfirmed:
      return "запуск не подтверждён";
    case DeviceOutcome::failed:
      return "ошибка";
    case DeviceOutcome::noAnswer:
      return "не отвечает";
    case DeviceOutcome::portNotOpened:
      return "порт не открылся";
    case DeviceOutcome::stopped:
      return "прервано";
    case DeviceOutcome::fileRejected:
      return "файл отклонён";
  }
  return "";
}
