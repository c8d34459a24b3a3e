// What the window's progress bar costs the GUI thread: the firmware load from
// the first button against the simulator paced at 57600 baud, in the window
// on the display, with the bar fed by the page reports and without, turn
// about. The GUI thread's own CPU time is compared, not wall time.
//
//   progress_bench [--check]   --check: exit 1 when the cost is above target
// Needs an X display (scripts/bench gives it a private one). The four COM
// ports lead to the simulator or nowhere, and no port of the machine is listed.
#include <FL/Fl.H>

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/progress_bar.h"
#include "app/window_device.h"
#include "firmware/firmware_images.h"
#include "sim/simulator.h"

namespace {

constexpr int runsEach = 3;
constexpr double eventLoopTimeoutSeconds = 0.03;  // as the program's own loop
// The bar may cost the GUI thread this share of one core while a load runs.
constexpr double cpuShareTarget = 0.01;

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double WallMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Run {
  double guiCpuMs;
  double wallMs;
  bool loaded;
};

Run LoadOnce(bool bar) {
  Simulator device;  // paced at 57600 baud
  setenv("VELT_COM1", device.DevicePath().c_str(), 1);
  if (bar) {
    InstallGuiPageSink();
  } else {
    windowRun.reports.page = nullptr;
  }
  logBrowser->clear();
  const double cpuStart = ThreadCpuMs();
  const double wallStart = WallMs();
  loadFirmwareButton->do_callback();
  while (operationBusy) Fl::wait(eventLoopTimeoutSeconds);
  const Run run{ThreadCpuMs() - cpuStart, WallMs() - wallStart,
                device.Ok() && device.ApplicationRunning()};
  return run;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc > 1 && std::strcmp(argv[1], "--check") == 0;
  if (getenv("DISPLAY") == nullptr) {
    std::fprintf(stderr, "progress_bench: needs an X display\n");
    return 2;
  }
  char emptyTree[] = "/tmp/velt-progress-bench-XXXXXX";
  if (mkdtemp(emptyTree) == nullptr) return 2;
  setenv(portRootVariable, emptyTree, 1);
  for (int k = 2; k <= portCount; ++k) setenv(("VELT_COM" + std::to_string(k)).c_str(), "/nonexistent", 1);
  Simulator probed;  // COM 1 opens at the probe, so it starts chosen
  setenv("VELT_COM1", probed.DevicePath().c_str(), 1);
  probePorts();
  firmwareTables = BuiltInFirmwareTables();
  InstallGuiLogSink();
  Fl::lock();
  BuildMainWindow()->show();
  while (!mainWindow->shown()) Fl::wait(eventLoopTimeoutSeconds);

  std::vector<double> with, without, wall;
  bool allLoaded = true;
  for (int i = 0; i < runsEach; ++i) {
    for (bool bar : {false, true}) {
      const Run run = LoadOnce(bar);
      allLoaded = allLoaded && run.loaded;
      (bar ? with : without).push_back(run.guiCpuMs);
      wall.push_back(run.wallMs);
      std::printf("load %d, %-11s GUI thread %6.1f ms of CPU, wall %7.1f ms%s\n", i + 1,
                  bar ? "with bar:" : "without bar:", run.guiCpuMs, run.wallMs,
                  run.loaded ? "" : "  (the load FAILED)");
    }
  }
  rmdir(emptyTree);
  const double extraMs = Median(with) - Median(without);
  const double share = extraMs / Median(wall);
  std::printf("median GUI thread CPU: %.1f ms with the bar, %.1f ms without: %+.1f ms, "
              "%.2f %% of one core over a %.0f ms load\n",
              Median(with), Median(without), extraMs, 100 * share, Median(wall));
  const bool met = allLoaded && share <= cpuShareTarget;
  std::printf("target: the bar costs the GUI thread <= %.0f %% of one core: %s\n",
              100 * cpuShareTarget, met ? "met" : "NOT met");
  return check && !met ? 1 : 0;
}
