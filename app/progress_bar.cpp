#include "app/progress_bar.h"

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <climits>

#include "app/window_device.h"

const Fl_Color progressTrackColour = fl_rgb_color(120, 120, 120);
const Fl_Color progressWrittenColour = fl_rgb_color(0, 160, 0);
const Fl_Color progressVerifiedColour = FL_BLUE;

namespace {

// Guarded by the toolkit lock: the GUI thread holds it outside Fl::wait,
// the worker takes it for each page.
Fl_Group* barRow = nullptr;  // null while no job runs
PageProgress progress;
BarExtent drawnExtent;

BarExtent CurrentExtent() { return BarExtentOf(progress, barRow->w()); }

// Fills the part of [from, to) that falls in [left, right) on the bar's rows.
void FillSpan(int from, int to, int left, int right, int y, Fl_Color colour) {
  const int start = std::max(from, left);
  const int end = std::min(to, right);
  if (end <= start) return;
  fl_color(colour);
  fl_rectf(start, y, end - start, progressBarHeight);
}

// Marks the row's buttons that hold a part of [from, to) of the bar.
void DamageRow(uchar damage, int from = 0, int to = INT_MAX) {
  for (int i = 0; i < barRow->children(); ++i) {
    Fl_Widget* child = barRow->child(i);
    const bool touched = child->x() < to && child->x() + child->w() > from;
    if (touched && dynamic_cast<RowButton*>(child) != nullptr) child->damage(damage);
  }
}

}  // namespace

RowButton::RowButton(int x, int y, int w, int h) : Fl_Button(x, y, w, h) {}

void RowButton::draw() {
  // FL_DAMAGE_USER1 alone: only the bar grew, the picture is still there.
  if (damage() != FL_DAMAGE_USER1) Fl_Button::draw();
  if (barRow == nullptr || parent() != barRow) return;
  // The row starts at the left edge of the parent; so does the bar.
  const BarExtent extent = CurrentExtent();
  const int left = x();
  const int right = x() + w();
  const int y = this->y() + h() - progressBarGap - progressBarHeight;
  FillSpan(left, right, left, right, y, progressTrackColour);
  FillSpan(0, extent.writtenEnd, left, right, y, progressWrittenColour);
  FillSpan(extent.writtenEnd, extent.verifiedEnd, left, right, y, progressVerifiedColour);
}

void ShowJobProgress(Fl_Group* row, const PageProgress& totals) {
  barRow = row;
  progress = PageProgress{};
  progress.toWrite = totals.toWrite;
  progress.toVerify = totals.toVerify;
  drawnExtent = CurrentExtent();
  DamageRow(FL_DAMAGE_ALL);
}

void HideJobProgress() {
  if (barRow == nullptr) return;
  DamageRow(FL_DAMAGE_ALL);
  barRow = nullptr;
}

bool JobProgressShown() { return barRow != nullptr; }

PageProgress JobProgress() { return progress; }

void WorkerPageReport(PageWork work, uint32_t) {
  Fl::lock();
  CountPage(&progress, work);
  Fl_Group* const row = barRow;
  const bool grew = row != nullptr && !(CurrentExtent() == drawnExtent);
  if (grew) {
    const BarExtent extent = CurrentExtent();
    DamageRow(FL_DAMAGE_USER1, std::min(drawnExtent.writtenEnd, extent.writtenEnd),
              std::max(drawnExtent.verifiedEnd, extent.verifiedEnd));
    drawnExtent = extent;
  }
  Fl::unlock();
  // The pointer form: the callback form queues and drops calls when busy.
  if (grew) Fl::awake(row);
}

void InstallGuiPageSink() { windowRun.reports.page = WorkerPageReport; }
