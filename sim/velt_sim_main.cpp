// velt-sim: the simulated device on a pseudo-terminal, for people and scripts.
// Prints the terminal's path, serves until a stop signal, then prints the
// frames it received per kind on stderr and dumps. With --devices N it serves
// a station of N devices from one thread, one path a line.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "sim/device_names.h"
#include "sim/sim_arguments.h"
#include "sim/sim_dump.h"
#include "sim/sim_runner.h"
#include "sim/simulator.h"

namespace {

constexpr int exitUsage = 2;
constexpr int exitFailure = 1;
constexpr mode_t dumpFolderMode = 0755;

// What a reading job must not have sent shows at a glance; then the dumps.
int Report(const std::vector<DeviceNames>& names,
           const std::vector<std::unique_ptr<Simulator>>& devices,
           const std::string& dumpFolder) {
  int result = 0;
  for (size_t k = 0; k < names.size(); ++k) {
    std::fprintf(stderr, "velt-sim: %s%s\n", names[k].label.c_str(),
                 FormatFrameCounts(*devices[k]).c_str());
  }
  // The station's dumps go into sub-folders of the one given.
  if (!dumpFolder.empty() && ::mkdir(dumpFolder.c_str(), dumpFolderMode) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "velt-sim: не удалось записать дамп в %s\n", dumpFolder.c_str());
    return exitFailure;
  }
  for (size_t k = 0; k < names.size(); ++k) {
    if (!names[k].dump.empty() && WriteSimDump(names[k].dump, *devices[k]) != 0) {
      std::fprintf(stderr, "velt-sim: не удалось записать дамп в %s\n", names[k].dump.c_str());
      result = exitFailure;
    }
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  SimProgramOptions options;
  std::string error;
  if (ParseSimArguments(argc, argv, &options, &error) != 0) {
    std::fprintf(stderr, "velt-sim: %s\nСправка: velt-sim --help\n", error.c_str());
    return exitUsage;
  }
  if (options.help) {
    std::fputs(simUsage, stdout);
    return 0;
  }
  if (options.version) {
    std::printf("velt-sim %s\n", VELT_VERSION);
    return 0;
  }

  // A reader of our stdout that left must not kill us before the clean-up.
  signal(SIGPIPE, SIG_IGN);
  // Blocked before the runner thread starts, so only sigwait below sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);  // the terminal it ran in went away
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  // One thread for all devices: a station of eight must not take eight
  // threads' wake-ups away from the flasher on a small machine.
  SimRunner runner;
  std::vector<std::unique_ptr<Simulator>> devices;
  for (const SimOptions& device : options.devices) {
    devices.emplace_back(new Simulator(device, runner));
    if (!devices.back()->Ok()) {
      std::fprintf(stderr, "velt-sim: не удалось создать псевдотерминал\n");
      return exitFailure;
    }
  }
  std::vector<std::string> paths;
  for (const std::unique_ptr<Simulator>& device : devices) paths.push_back(device->DevicePath());
  const std::vector<DeviceNames> names = DeviceNamesOf(options);
  const int folder = MakeLinkFolder(options);
  if (folder < 0) {
    std::fprintf(stderr, "velt-sim: не удалось создать каталог %s\n", options.linkPath.c_str());
    return exitFailure;
  }
  std::string failed;
  if (MakeLinks(names, paths, &failed) != 0) {
    std::fprintf(stderr, "velt-sim: не удалось создать ссылку %s\n", failed.c_str());
    if (folder > 0) ::rmdir(options.linkPath.c_str());
    return exitFailure;
  }
  for (const std::string& path : paths) std::printf("%s\n", path.c_str());
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);

  const std::string dumpFolder = options.deviceCount > 0 ? options.dumpDirectory : "";
  const int result = Report(names, devices, dumpFolder);
  RemoveLinks(names);
  if (folder > 0) ::rmdir(options.linkPath.c_str());
  return result;
}
