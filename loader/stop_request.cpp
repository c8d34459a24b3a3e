#include "loader/stop_request.h"

#include <atomic>

namespace {

std::atomic<bool> stopRequested{false};

}  // namespace

void RequestStop() { stopRequested = true; }
void ClearStopRequest() { stopRequested = false; }
bool StopRequested() { return stopRequested; }
