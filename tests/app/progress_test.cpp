// The progress bar along the button row: it follows the procedures' page
// reports, on screen, and is gone when the job ends.
#include "tests/app/app_fixture.h"

#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/progress_bar.h"
#include "app/window_coefficients.h"
#include "coeff/coefficient_file.h"
#include "tests/app/window_pixels.h"

namespace {

constexpr int rowTop = 23;
constexpr int rowHeight = 48;
constexpr int logTop = rowTop + rowHeight;
constexpr int barTop = logTop - progressBarGap - progressBarHeight;
constexpr double drawSeconds = 0.3;
constexpr double sampleSeconds = 0.25;

// One screenshot of the bar: how many pixels of its middle row are in each
// of its colours, and whether its colours show anywhere they must not.
struct BarPixels {
  int track = 0;
  int written = 0;
  int verified = 0;
  int outside = 0;  // bar colours in the rows just above it, its gap and the log's top
  int Done() const { return written + verified; }
};

BarPixels ReadBar() {
  const WindowPixels screen = ReadMainWindow();
  const Rgb track = RgbOf(progressTrackColour);
  const Rgb written = RgbOf(progressWrittenColour);
  const Rgb verified = RgbOf(progressVerifiedColour);
  BarPixels bar;
  const int middle = barTop + progressBarHeight / 2;
  bar.track = PixelsOfColour(screen, 0, middle, screen.width, 1, track);
  bar.written = PixelsOfColour(screen, 0, middle, screen.width, 1, written);
  bar.verified = PixelsOfColour(screen, 0, middle, screen.width, 1, verified);
  // The log draws blue text, so only the bar's other colours count there.
  for (Rgb colour : {track, written}) {
    bar.outside += PixelsOfColour(screen, 0, barTop - 4, screen.width, 4, colour);
    bar.outside += PixelsOfColour(screen, 0, logTop - progressBarGap, screen.width,
                                  progressBarGap + 4, colour);
  }
  bar.outside += PixelsOfColour(screen, 0, barTop - 4, screen.width, 4, verified);
  return bar;
}

class ProgressBarTest : public AppTest {
 protected:
  // A button's tooltip, under a pointer an earlier test left there, would
  // cover the bar in the screenshots.
  void SetUp() override {
    AppTest::SetUp();
    Fl_Tooltip::disable();
  }
  void TearDown() override {
    Fl_Tooltip::enable();
    AppTest::TearDown();
  }
};

TEST_F(ProgressBarTest, GrowsDuringAPacedLoadAndIsGoneWhenItEnds) {
  StartOnDevice(SimOptions{});  // paced at 57600 baud, as on a real line
  PumpFor(drawSeconds);
  const BarPixels atRest = ReadBar();
  EXPECT_EQ(atRest.track + atRest.Done(), 0) << "no bar while nothing runs";

  loadFirmwareButton->do_callback();
  std::vector<BarPixels> samples;
  // The lock is held outside Fl::wait, so the bar cannot go between the
  // check and the screenshot.
  while (PumpFor(sampleSeconds), JobProgressShown()) samples.push_back(ReadBar());
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(LastLogLine(), "@C4Запуск.");

  ASSERT_GE(samples.size(), 8u) << "a paced load takes seconds";
  int grew = 0;
  bool verifiedAfterAllWritten = false;
  for (size_t i = 0; i < samples.size(); ++i) {
    const BarPixels& s = samples[i];
    EXPECT_EQ(s.track + s.written + s.verified, mainWindowWidth)
        << "sample " << i << ": the bar spans the row without gaps";
    EXPECT_EQ(s.outside, 0) << "sample " << i << ": the bar stays in its rows";
    if (s.verified > 0) {
      EXPECT_EQ(s.written, mainWindowWidth / 2) << "sample " << i << ": writes come first";
      verifiedAfterAllWritten = true;
    }
    if (i == 0) continue;
    EXPECT_GE(s.Done(), samples[i - 1].Done()) << "sample " << i << ": it never shrinks";
    grew += s.Done() > samples[i - 1].Done();
  }
  EXPECT_GE(grew, 4) << "it grows as the pages go";
  EXPECT_TRUE(verifiedAfterAllWritten) << "the read-back shows in blue";

  PumpFor(drawSeconds);
  const BarPixels after = ReadBar();
  EXPECT_EQ(after.track + after.Done() + after.outside, 0) << "gone when the job has ended";
}

// The bar's totals are what each job really reports, so it ends full.
TEST_F(ProgressBarTest, EachJobsTotalsAreThePagesItReports) {
  struct Job {
    const char* name;
    bool writes;
    void (*start)();
  };
  const Job jobs[] = {
      {"firmware", true, [] { loadFirmwareButton->do_callback(); }},
      {"reset", true, [] { resetCoefficientsButton->do_callback(); }},
      {"write", true, [] { writeCoefficientsButton->do_callback(); }},
      {"save", false, [] { mainMenu[saveCoefficientsMenuItem].do_callback(menuBar); }},
  };
  StartOnDevice();
  const std::string directory = WorkDirectory();
  for (const Job& job : jobs) {
    ASSERT_EQ(LoadCoefficientFile(WriteCoefficientFile("k.koeff", "1.5").c_str()), 0);
    coefficientsLoaded = 1;
    if (std::string(job.name) == "save") AnswerNextFileDialog(directory + "/saved.koeff");
    logBrowser->clear();
    job.start();
    EXPECT_TRUE(JobProgressShown()) << job.name;
    ASSERT_TRUE(WaitIdle()) << job.name;
    EXPECT_FALSE(JobProgressShown()) << job.name;
    const PageProgress pages = JobProgress();
    EXPECT_EQ(pages.written, pages.toWrite) << job.name;
    EXPECT_EQ(pages.verified, pages.toVerify) << job.name;
    EXPECT_GT(pages.toVerify, 0) << job.name;
    EXPECT_EQ(pages.toWrite > 0, job.writes) << job.name;
    EXPECT_NE(LoggedText(LogLines()).find("Запуск."), std::string::npos) << job.name;
  }
}

}  // namespace
