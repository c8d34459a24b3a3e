#include "bench/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int exitNotStarted = 127;
constexpr double kilobytesPerMegabyte = 1024.0;
constexpr double microsecondsPerSecond = 1e6;

double Seconds(const timeval& time) { return time.tv_sec + time.tv_usec / microsecondsPerSecond; }

// The rest of a line read from `fd`, one byte at a time: the paths velt-sim
// prints are all there is.
std::string ReadLine(int fd) {
  std::string line;
  char c;
  while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

}  // namespace

pid_t StartChild(const std::vector<std::string>& argv, int output) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int devNull = ::open("/dev/null", O_RDWR);
  dup2(devNull, STDIN_FILENO);
  dup2(output >= 0 ? output : devNull, STDOUT_FILENO);
  dup2(devNull, STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  execv(args[0], args.data());
  _exit(exitNotStarted);
}

ChildUsage WaitChild(pid_t pid) {
  ChildUsage usage;
  int status = 0;
  rusage resources{};
  if (pid <= 0 || wait4(pid, &status, 0, &resources) != pid) return usage;
  usage.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  usage.cpuSeconds = Seconds(resources.ru_utime) + Seconds(resources.ru_stime);
  usage.peakMegabytes = resources.ru_maxrss / kilobytesPerMegabyte;  // Linux: kilobytes
  return usage;
}

SimProcess StartSim(const std::string& program, int devices, int fifo, const std::string& folder,
                    const std::vector<std::string>& options) {
  SimProcess sim;
  int paths[2];
  if (pipe(paths) != 0) return sim;
  std::vector<std::string> command = {program, "--devices", std::to_string(devices), "--fifo",
                                      std::to_string(fifo), "--link", folder};
  command.insert(command.end(), options.begin(), options.end());
  sim.pid = StartChild(command, paths[1]);
  ::close(paths[1]);
  for (int k = 1; k <= devices; ++k) {
    if (ReadLine(paths[0]).empty()) {
      sim.links.clear();
      break;
    }
    sim.links.push_back(folder + "/dev" + std::to_string(k));
  }
  ::close(paths[0]);
  return sim;
}

ChildUsage StopSim(const SimProcess& sim) {
  if (sim.pid > 0) kill(sim.pid, SIGTERM);
  return WaitChild(sim.pid);
}
