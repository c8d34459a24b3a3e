#include "link/port_lock_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr char devicesFolder[] = "/dev/";
constexpr char lockPrefix[] = "LCK..";
constexpr mode_t readableByAll = 0644;
// Ten digits and a line feed, as the convention writes the PID.
constexpr int pidTextSize = 11;
// A stale file is removed and the lock tried again; someone taking it in
// between is a holder like any other.
constexpr int takeAttempts = 2;

std::string PidText(int pid) {
  char text[pidTextSize + 1];
  std::snprintf(text, sizeof text, "%10d\n", pid);
  return text;
}

// The PID in the file, or 0 when there is none to be read.
int OwnerOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return 0;
  char text[pidTextSize + 1] = {};
  const ssize_t got = ::read(fd, text, pidTextSize);
  ::close(fd);
  if (got <= 0) return 0;
  char* end = nullptr;
  const long pid = std::strtol(text, &end, 10);
  return end != text && pid > 0 && pid <= INT_MAX ? static_cast<int>(pid) : 0;
}

// EPERM: it runs, under another user.
bool Running(int pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

// A whole file under a name of its own, then linked to the lock's name:
// nobody ever reads a lock file half written, and link fails if the name
// is taken.
bool LinkOurs(const std::string& folder, const std::string& path) {
  std::string temporary = folder + "/LTMP.velt.XXXXXX";
  const int fd = mkstemp(&temporary[0]);
  if (fd < 0) return false;
  const std::string text = PidText(static_cast<int>(getpid()));
  const bool written = fchmod(fd, readableByAll) == 0 &&
                       ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  const bool linked = written && link(temporary.c_str(), path.c_str()) == 0;
  unlink(temporary.c_str());
  return linked;
}

}  // namespace

std::string PortLockName(const std::string& device) {
  char resolved[PATH_MAX];
  std::string name = realpath(device.c_str(), resolved) != nullptr ? resolved : device;
  const std::string dev = devicesFolder;
  if (name.compare(0, dev.size(), dev) == 0) name.erase(0, dev.size());
  while (!name.empty() && name[0] == '/') name.erase(0, 1);
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return name;
}

PortLock TakePortLock(const std::string& folder, const std::string& device, std::string* lockPath,
                      int* ownerPid) {
  lockPath->clear();
  const std::string path = folder + "/" + lockPrefix + PortLockName(device);
  bool stale = false;
  for (int attempt = 0; attempt < takeAttempts; ++attempt) {
    if (LinkOurs(folder, path)) {
      *lockPath = path;
      return stale ? PortLock::takenFromDeadOwner : PortLock::taken;
    }
    struct stat found {};
    if (lstat(path.c_str(), &found) != 0) return PortLock::unavailable;
    const int owner = OwnerOf(path);
    if (Running(owner)) {
      *ownerPid = owner;
      return PortLock::heldByOther;
    }
    stale = true;
    if (unlink(path.c_str()) != 0) return PortLock::unavailable;
  }
  return PortLock::unavailable;
}

void ReleasePortLock(const std::string& lockPath) {
  if (!lockPath.empty() && OwnerOf(lockPath) == static_cast<int>(getpid())) {
    unlink(lockPath.c_str());
  }
}
