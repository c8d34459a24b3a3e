// Steps the procedures share. Each returns 0 when it succeeded and anything
// else when the procedure must end; once a stop has been requested they send
// nothing and return stepStopped. Each notes in the run context what it is
// doing, for the failure report.
#pragma once

#include <cstdint>

#include "loader/device_layout.h"
#include "loader/procedures.h"
#include "loader/run_context.h"

constexpr int contactAttempts = 10;
constexpr int channelSettleMilliseconds = 50;
constexpr int launchAttempts = 10;
constexpr int launchSettleMilliseconds = 1;

constexpr uint8_t controlByteBeforeWrite = 0xFF;
constexpr uint8_t controlByteAfterVerify = 0x00;

// A procedure's first step: noContact, the step and the failure of the
// previous job are cleared.
void BeginJob(RunContext& run);
// SelectController3 then Sync, up to ten times, until the device answers.
int MakeContact(RunContext& run);
// The end of a procedure whose contact failed with `result`: "Не отвечает."
// unless a stop was requested.
Outcome NoContact(RunContext& run, int result);
// Sync, unless a stop has been requested.
int SyncStep(RunContext& run);
// Switches the line to the controller as the layout says, then Sync.
int SelectControllerStep(RunContext& run, const ControllerLayout& controller);
// WriteControlByte, Sync.
int ControlByteStep(RunContext& run, uint8_t value);
// SendNullCommand, an optional pause, Sync.
int NullCommandStep(RunContext& run, int pauseMilliseconds);

// The end of a procedure whose step returned `result` (non-zero): the step
// is kept as the run's failure.
Outcome Abandon(RunContext& run, int result);
