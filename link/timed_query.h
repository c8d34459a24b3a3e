// The presence query, timed: how long after its last byte left the computer
// the echo and the answer were in. What the line probe measures; the jobs'
// Sync keeps its own fixed wait and is not this.
#pragma once

#include "link/boot_link.h"

// Well past Sync's own 40 ms, so that an adapter too slow for the jobs is
// still measured rather than taken for silence.
constexpr int timedQueryBudgetMilliseconds = 100;

struct TimedQuery {
  Reply reply = Reply::nothing;  // answered, echoOnly, nothing, or a kind of garbage
  double sendMs = 0;     // how long the write took: the bytes' time, on a line that waits for them
  double echoMs = -1;    // from the last byte sent to the echo's last byte; -1: no echo
  double answerMs = -1;  // to the answer's last byte; -1: no sound answer
};

// Lets in and drops whatever the line still brings until it has been quiet
// for `quietMilliseconds`, or `limitMilliseconds` passed: through an adapter
// the echo of a switch arrives late, and would stand in front of the next
// query's echo.
void LetLineSettle(BootLink& link, int quietMilliseconds, int limitMilliseconds);

// Sends the query once and waits up to the budget for the echo and the
// answer. The received bytes are left in link.rxBuffer.
TimedQuery TimeQuery(BootLink& link);
