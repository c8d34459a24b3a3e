#include "cli/station.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "cli/stop_signals.h"

namespace {

// How often the view may redraw: often enough to look live, rarely enough
// to cost nothing next to the devices.
constexpr std::chrono::milliseconds tickInterval{100};

// The devices still at work; the main thread waits on it between ticks.
struct Running {
  std::mutex lock;
  std::condition_variable changed;
  int count = 0;
};

}  // namespace

std::vector<JobResult> RunStation(const std::vector<DevicePort>& ports,
                                  const std::vector<Job>& jobs, const SettleResult& settle,
                                  StationView& view) {
  const int devices = static_cast<int>(ports.size());
  std::vector<JobResult> results(ports.size());
  std::vector<DeviceReports> reports;
  for (int index = 0; index < devices; ++index) reports.push_back(view.ReportsFor(index));
  StopSignals stops;
  Running running;
  running.count = devices;
  std::vector<std::thread> threads;
  for (int index = 0; index < devices; ++index) {
    threads.emplace_back([&, index] {
      DeviceJobSetup setup;
      setup.stops = &stops;
      setup.slot = index;
      results[index] = RunDeviceJob(jobs[index], ports[index], setup, reports[index]);
      if (settle) settle(jobs[index], results[index], reports[index]);
      view.Finished(index, results[index]);
      std::lock_guard<std::mutex> hold(running.lock);
      --running.count;
      running.changed.notify_one();
    });
  }
  {
    std::unique_lock<std::mutex> hold(running.lock);
    while (running.count > 0) {
      running.changed.wait_for(hold, tickInterval);
      hold.unlock();
      view.Tick();
      hold.lock();
    }
  }
  for (std::thread& thread : threads) thread.join();
  view.End(results);
  return results;
}
