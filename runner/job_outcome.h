// How a job on one device ended: the procedure's outcome, or one of the two
// ends a job can have before its procedure runs; with the names the record
// and the summary give them.
#pragma once

#include "loader/procedures.h"

enum class JobOutcome {
  started,
  startNotConfirmed,
  failed,
  noAnswer,
  portNotOpened,
  stopped,
  fileRejected,  // the coefficient file could not be read, or the read ones not saved
};

JobOutcome JobOutcomeOf(Outcome outcome);

// "started", "noAnswer", ...: the outcome as a record file spells it.
const char* OutcomeName(JobOutcome outcome);

// "запущено", "не отвечает", ...: as the summary tells the operator.
const char* OutcomeWords(JobOutcome outcome);
