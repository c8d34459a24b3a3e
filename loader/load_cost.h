// What a firmware load costs on the line, counted from the firmware tables
// it would move: its exchanges, its bytes and its fixed pauses. The line
// probe turns it into a time with the delays it measured.
#pragma once

#include "loader/procedures.h"

struct LoadCost {
  int acknowledged = 0;  // control bytes, erases, writes and reads: each waits for its answer
  int queries = 0;       // presence queries, each a fixed wait
  int sentBytes = 0;     // every frame the load sends
  int answerBytes = 0;   // the answers the acknowledged exchanges wait for
  double pauseMs = 0;    // the queries' waits, the settling after a switch, byte spacing
};

LoadCost CountLoadCost(const FirmwareTables& tables);

// With what a probe measured: `sendMsPerByte` for each byte sent (on a
// line whose writes do not wait for the bytes, less than the line's pace)
// and `extraMs` on each acknowledged exchange.
double PredictedSeconds(const LoadCost& cost, double sendMsPerByte, double extraMs);
