#include "loader/procedure_steps.h"

#include "link/boot_link.h"

namespace {

void Enter(RunContext& run, StepKind kind) {
  run.step.kind = kind;
  run.step.address = 0;
}

void EnterSelection(RunContext& run, int controller) {
  Enter(run, StepKind::selection);
  run.step.controller = controller;
}

void Select(BootLink& link, const ControllerLayout& controller) {
  if (controller.selection == ControllerSelection::ownCommand) {
    link.SelectController3();
    return;
  }
  link.SelectChannel(controller.channel);
  link.Delay(channelSettleMilliseconds);
}

}  // namespace

void BeginJob(RunContext& run) {
  run.link.noContact = 0;
  run.step = JobStep{};
  run.failure = JobFailure{};
}

int MakeContact(RunContext& run) {
  int result = syncSilent;
  for (int attempt = 0; attempt < contactAttempts; ++attempt) {
    if (StopRequested(run)) return stepStopped;
    run.link.SelectController3();
    result = run.link.Sync();
    if (result == 0) return 0;
  }
  return result;
}

int SyncStep(RunContext& run) {
  if (StopRequested(run)) return stepStopped;
  Enter(run, StepKind::sync);
  return run.link.Sync();
}

int SelectControllerStep(RunContext& run, const ControllerLayout& controller) {
  if (StopRequested(run)) return stepStopped;
  EnterSelection(run, controller.number);
  Select(run.link, controller);
  return run.link.Sync();
}

int ControlByteStep(RunContext& run, uint8_t value) {
  if (StopRequested(run)) return stepStopped;
  Enter(run, StepKind::controlByte);
  if (const int result = run.link.WriteControlByte(value)) return result;
  if (StopRequested(run)) return stepStopped;
  return run.link.Sync();
}

int NullCommandStep(RunContext& run, int pauseMilliseconds) {
  if (StopRequested(run)) return stepStopped;
  Enter(run, StepKind::nullCommand);
  run.link.SendNullCommand();
  if (pauseMilliseconds > 0) run.link.Delay(pauseMilliseconds);
  if (StopRequested(run)) return stepStopped;
  return run.link.Sync();
}

Outcome NoContact(RunContext& run, int result) {
  if (result == stepStopped) return Outcome::stopped;
  Log(run, "@C1Не отвечает.");
  return Outcome::noAnswer;
}

Outcome Abandon(RunContext& run, int result) {
  if (result == stepStopped || StopRequested(run)) return Outcome::stopped;
  Log(run, "@C1Ошибка!!!.");
  run.failure = JobFailure{run.step, run.link.last.operation, run.link.last.reply};
  return Outcome::failed;
}

Outcome StartApplication(RunContext& run) {
  int result = 0;
  for (int attempt = 0; attempt < launchAttempts; ++attempt) {
    // Before each round, not only before the first: a stop must not wait
    // for the ten rounds to pass.
    if (StopRequested(run)) return Outcome::stopped;
    run.link.Launch();
    run.link.Delay(launchSettleMilliseconds);
    result = run.link.Sync();
    if (result == syncEchoOnly) break;
  }
  // A bootloader that still answers after the last Launch did not start.
  if (result == 0) return Outcome::startNotConfirmed;
  // Not even the echo, which the line itself gives: the line is gone, and
  // nothing says the application started.
  if (result == syncSilent) {
    Log(run, "@C1Не отвечает.");
    return Outcome::noAnswer;
  }
  Log(run, "@C4Запуск.");
  return Outcome::started;
}
