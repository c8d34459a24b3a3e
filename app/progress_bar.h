// The running job's progress as a thin bar along the lower edge of the
// button row: green while pages are written, then blue while they are read
// back, the row's whole width standing for the whole job. It shows only
// while a job runs; the worker reaches it only through the toolkit's lock
// and awake, as the log lines do.
#pragma once

#include <FL/Enumerations.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>

#include <cstdint>

#include "app/bar_extent.h"

// The bar's height, and the rows between it and the row's lower edge (the
// buttons' frame stays visible under it).
constexpr int progressBarHeight = 4;
constexpr int progressBarGap = 1;
// Where nothing is done yet, what is written, what is read back: the blue
// is that of the log's progress lines.
extern const Fl_Color progressTrackColour;
extern const Fl_Color progressWrittenColour;
extern const Fl_Color progressVerifiedColour;

// A picture button of the main window's row; while a job runs it also draws
// its stretch of the bar, which spans the whole row (its parent's width).
class RowButton : public Fl_Button {
 public:
  RowButton(int x, int y, int w, int h);

 protected:
  void draw() override;
};

// GUI thread, as a job starts: the bar appears empty across `row`, for a job
// of these totals (their done counts are ignored).
void ShowJobProgress(Fl_Group* row, const PageProgress& totals);
// Under the toolkit lock, as the job ends: the bar goes.
void HideJobProgress();

bool JobProgressShown();
// The totals and the pages counted so far (tests read it under the lock).
PageProgress JobProgress();

// The page sink while the window runs a job: counts the page and redraws
// the bar only when it has grown by a pixel.
void WorkerPageReport(PageWork work, uint32_t address);

// Makes WorkerPageReport where the window's jobs report their pages
// (windowRun).
void InstallGuiPageSink();
