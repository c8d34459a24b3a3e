// The jobs the window runs, and the pages each writes and reads back: the
// totals of its progress bar.
#pragma once

#include "app/page_progress.h"

enum class WindowJob { loadFirmware, writeCoefficients, resetCoefficients, saveCoefficients };

// Counted over the job's own tables (firmwareTables, coefficientTable) as
// they are when it starts.
PageProgress JobPages(WindowJob job);
