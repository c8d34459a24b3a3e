// The texts that show how far a job has come: the single device's progress
// line and the parts of a station's rows.
#pragma once

#include <string>

#include "runner/page_progress.h"

// Of all the pages to move, 0..100; 100 only once every page has moved, and
// for a job without pages.
int PercentDone(const PageProgress& progress);

// "записано страниц: 12 из 149, проверено: 0 из 149, 4 %, 3 с", or a shorter
// form of it when that does not fit in `columns`.
std::string ProgressLine(const PageProgress& progress, int seconds, int columns);

// "[#####.....]" with `width` columns in all.
std::string ProgressBar(int percent, int width);
