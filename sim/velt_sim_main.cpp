// velt-sim: the simulated device on a pseudo-terminal, for people and scripts.
// Prints the terminal's path, serves until a stop signal, then prints the
// frames it received per kind on stderr and dumps.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "sim/sim_arguments.h"
#include "sim/sim_dump.h"
#include "sim/simulator.h"

namespace {

constexpr int exitUsage = 2;
constexpr int exitFailure = 1;

// A stale link from an earlier run is replaced; anything else at PATH is not
// ours to remove.
int MakeLink(const std::string& linkPath, const std::string& target) {
  struct stat info {};
  if (lstat(linkPath.c_str(), &info) == 0) {
    if (!S_ISLNK(info.st_mode) || ::unlink(linkPath.c_str()) != 0) return -1;
  }
  return ::symlink(target.c_str(), linkPath.c_str());
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

  Simulator simulator(options.device);
  if (!simulator.Ok()) {
    std::fprintf(stderr, "velt-sim: не удалось создать псевдотерминал\n");
    return exitFailure;
  }
  if (!options.linkPath.empty() && MakeLink(options.linkPath, simulator.DevicePath()) != 0) {
    std::fprintf(stderr, "velt-sim: не удалось создать ссылку %s\n", options.linkPath.c_str());
    return exitFailure;
  }
  std::printf("%s\n", simulator.DevicePath().c_str());
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);

  // What a reading job must not have sent shows at a glance.
  std::fprintf(stderr, "velt-sim: %s\n", FormatFrameCounts(simulator).c_str());
  int result = 0;
  if (!options.dumpDirectory.empty() && WriteSimDump(options.dumpDirectory, simulator) != 0) {
    std::fprintf(stderr, "velt-sim: не удалось записать дамп в %s\n",
                 options.dumpDirectory.c_str());
    result = exitFailure;
  }
  if (!options.linkPath.empty()) ::unlink(options.linkPath.c_str());
  return result;
}
