// A request from the front end that the running procedure stop before its
// next step, so the port is never closed under it.
#pragma once

void RequestStop();
void ClearStopRequest();
bool StopRequested();

// What a step returns instead of running once a stop has been requested.
constexpr int stepStopped = -100;
