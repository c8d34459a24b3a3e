// Steps the procedures share. Each notes in the run context what it is
// doing, for the failure report, and says how it ended; once a stop has been
// requested it sends nothing more and says stopped.
#pragma once

#include <cstdint>

#include "link/device_layout.h"
#include "loader/page_table.h"
#include "loader/procedures.h"
#include "loader/run_context.h"

enum class StepResult {
  done,
  failed,   // the device did not answer as it must; the link's last exchange says how
  stopped,  // a stop was requested
};

// The step did not succeed: the procedure ends here.
inline bool Ends(StepResult result) { return result != StepResult::done; }

// A walk's or a transfer's result as a step's.
StepResult StepOf(PageResult result);

constexpr int contactAttempts = 10;
constexpr int channelSettleMilliseconds = 50;
constexpr int launchAttempts = 10;
constexpr int launchSettleMilliseconds = 1;

constexpr uint8_t controlByteBeforeWrite = 0xFF;
constexpr uint8_t controlByteAfterVerify = 0x00;

// A procedure's first step: the contact, the step and the failure of the
// previous job are cleared.
void BeginJob(RunContext& run);
// SelectController3 then Sync, up to ten times, until the device answers;
// then the run is marked contacted.
StepResult MakeContact(RunContext& run);
// The end of a procedure whose contact failed: "Не отвечает." unless a stop
// was requested.
Outcome NoContact(RunContext& run, StepResult result);
// Sync.
StepResult SyncStep(RunContext& run);
// Switches the line to the controller as the layout says, with the pause
// a channel needs after it.
void SwitchLine(BootLink& link, const ControllerLayout& controller);
// Switches the line to the controller as the layout says, then Sync.
StepResult SelectControllerStep(RunContext& run, const ControllerLayout& controller);
// WriteControlByte, Sync.
StepResult ControlByteStep(RunContext& run, uint8_t value);
// SendNullCommand, an optional pause, Sync.
StepResult NullCommandStep(RunContext& run, int pauseMilliseconds);

// The end of a procedure whose step did not succeed: a failed step is kept
// as the run's failure.
Outcome Abandon(RunContext& run, StepResult result);
