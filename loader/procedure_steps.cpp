#include "loader/procedure_steps.h"

#include "link/boot_link.h"
#include "loader/report.h"

const FirmwareController firmwareControllers[3] = {
    {1, channelController1, coefficientPagesStart},
    {2, channelController2, 0x8000},
    {3, 0, 0x8000},
};

int MakeContact() {
  int result = syncSilent;
  for (int attempt = 0; attempt < contactAttempts; ++attempt) {
    if (StopRequested()) return stepStopped;
    cm.SelectController3();
    result = cm.Sync();
    if (result == 0) return 0;
  }
  return result;
}

int SyncStep() { return StopRequested() ? stepStopped : cm.Sync(); }

int SelectChannelStep(int channel) {
  if (StopRequested()) return stepStopped;
  cm.SelectChannel(channel);
  cm.Delay(channelSettleMilliseconds);
  return cm.Sync();
}

int SelectController3Step() {
  if (StopRequested()) return stepStopped;
  cm.SelectController3();
  return cm.Sync();
}

int ControlByteStep(uint8_t value) {
  if (StopRequested()) return stepStopped;
  if (const int result = cm.WriteControlByte(value)) return result;
  return SyncStep();
}

int NullCommandStep(int pauseMilliseconds) {
  if (StopRequested()) return stepStopped;
  cm.SendNullCommand();
  if (pauseMilliseconds > 0) cm.Delay(pauseMilliseconds);
  return SyncStep();
}

Outcome NoContact(int result) {
  if (result == stepStopped) return Outcome::stopped;
  logMessage("@C1Не отвечает.");
  return Outcome::noAnswer;
}

Outcome Abandon(int result) {
  if (result == stepStopped || StopRequested()) return Outcome::stopped;
  logMessage("@C1Ошибка!!!.");
  return Outcome::failed;
}

Outcome StartApplication() {
  int result = 0;
  for (int attempt = 0; attempt < launchAttempts; ++attempt) {
    cm.Launch();
    cm.Delay(launchSettleMilliseconds);
    result = cm.Sync();
    if (result == syncEchoOnly) break;
  }
  // A bootloader that still answers after the last Launch did not start.
  if (result == 0) return Outcome::startNotConfirmed;
  // Not even the echo, which the line itself gives: the line is gone, and
  // nothing says the application started.
  if (result == syncSilent) {
    logMessage("@C1Не отвечает.");
    return Outcome::noAnswer;
  }
  logMessage("@C4Запуск.");
  return Outcome::started;
}
