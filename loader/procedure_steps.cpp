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

}  // namespace

void SwitchLine(BootLink& link, const ControllerLayout& controller) {
  if (controller.selection == ControllerSelection::ownCommand) {
    link.SelectController3();
    return;
  }
  link.SelectChannel(controller.channel);
  link.Delay(channelSettleMilliseconds);
}

namespace {

// A query cut short by a stop request says stopped, whatever it heard.
StepResult Query(RunContext& run) {
  const int verdict = run.link.Sync();
  if (StopRequested(run)) return StepResult::stopped;
  return verdict == 0 ? StepResult::done : StepResult::failed;
}

}  // namespace

StepResult StepOf(PageResult result) {
  if (result == PageResult::done) return StepResult::done;
  if (result == PageResult::stopped) return StepResult::stopped;
  return StepResult::failed;
}

void BeginJob(RunContext& run) {
  run.contacted = false;
  run.step = JobStep{};
  run.failure = JobFailure{};
}

StepResult MakeContact(RunContext& run) {
  for (int attempt = 0; attempt < contactAttempts; ++attempt) {
    if (StopRequested(run)) return StepResult::stopped;
    run.link.SelectController3();
    const StepResult result = Query(run);
    if (result == StepResult::done) run.contacted = true;
    if (result != StepResult::failed) return result;
  }
  return StepResult::failed;
}

StepResult SyncStep(RunContext& run) {
  if (StopRequested(run)) return StepResult::stopped;
  Enter(run, StepKind::sync);
  return Query(run);
}

StepResult SelectControllerStep(RunContext& run, const ControllerLayout& controller) {
  if (StopRequested(run)) return StepResult::stopped;
  EnterSelection(run, controller.number);
  SwitchLine(run.link, controller);
  return Query(run);
}

StepResult ControlByteStep(RunContext& run, uint8_t value) {
  if (StopRequested(run)) return StepResult::stopped;
  Enter(run, StepKind::controlByte);
  if (run.link.WriteControlByte(value) != 0) return StepResult::failed;
  if (StopRequested(run)) return StepResult::stopped;
  return Query(run);
}

StepResult NullCommandStep(RunContext& run, int pauseMilliseconds) {
  if (StopRequested(run)) return StepResult::stopped;
  Enter(run, StepKind::nullCommand);
  run.link.SendNullCommand();
  if (pauseMilliseconds > 0) run.link.Delay(pauseMilliseconds);
  if (StopRequested(run)) return StepResult::stopped;
  return Query(run);
}

Outcome NoContact(RunContext& run, StepResult result) {
  if (result == StepResult::stopped) return Outcome::stopped;
  Log(run, LineKind::failure, "Не отвечает.");
  return Outcome::noAnswer;
}

Outcome Abandon(RunContext& run, StepResult result) {
  if (result == StepResult::stopped || StopRequested(run)) return Outcome::stopped;
  Log(run, LineKind::failure, "Ошибка!!!.");
  run.failure = JobFailure{run.step, run.link.last.operation, run.link.last.reply};
  return Outcome::failed;
}

Outcome StartApplication(RunContext& run) {
  int verdict = 0;
  for (int attempt = 0; attempt < launchAttempts; ++attempt) {
    // Before each round, not only before the first: a stop must not wait
    // for the ten rounds to pass.
    if (StopRequested(run)) return Outcome::stopped;
    run.link.Launch();
    run.link.Delay(launchSettleMilliseconds);
    verdict = run.link.Sync();
    // The query gives up between its attempts once a stop is requested.
    if (StopRequested(run)) return Outcome::stopped;
    if (verdict == syncEchoOnly) break;
  }
  // A bootloader that still answers after the last Launch did not start.
  if (verdict == 0) return Outcome::startNotConfirmed;
  // Not even the echo, which the line itself gives: the line is gone, and
  // nothing says the application started.
  if (verdict == syncSilent) {
    Log(run, LineKind::failure, "Не отвечает.");
    return Outcome::noAnswer;
  }
  Log(run, LineKind::progress, "Запуск.");
  return Outcome::started;
}
