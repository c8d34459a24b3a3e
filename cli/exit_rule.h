// The exit status of a job on several devices, for a script that checks one
// number: 0 when every device's is 0, else the first device's (in --port
// order) that is not.
#pragma once

#include <vector>

int StationExitStatus(const std::vector<int>& deviceStatuses);
