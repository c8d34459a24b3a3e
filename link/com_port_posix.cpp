// ComPort on POSIX terminals (Linux serial ports, USB adapters, ptys).
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#ifdef __linux__
#include <linux/serial.h>
#endif

#include "link/com_port.h"
#include "link/port_lock_file.h"
#include "link/sleep.h"

namespace {

PortError ErrorFromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return PortError::noPermission;
    case EBUSY:
    case EWOULDBLOCK:
      return PortError::busy;
    default:
      return PortError::missing;
  }
}

bool ConfigureLine(int fd) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return false;
  cfmakeraw(&settings);
  settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  settings.c_iflag &= ~(IXON | IXOFF | IXANY);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  if (cfsetispeed(&settings, B57600) != 0 || cfsetospeed(&settings, B57600) != 0) return false;
  return tcsetattr(fd, TCSANOW, &settings) == 0;
}

// Best effort: a pty or some adapters know neither modem lines nor latency.
void DropModemLines(int fd) {
  int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(fd, TIOCMBIC, &lines);
}

// The answer is read back: a driver may take the request and ignore it.
LowLatencyAtOpen AskForLowLatency(int fd) {
  LowLatencyAtOpen atOpen;
#ifdef __linux__
  serial_struct serial{};
  if (ioctl(fd, TIOCGSERIAL, &serial) != 0) return atOpen;
  atOpen.wasSet = (serial.flags & ASYNC_LOW_LATENCY) != 0;
  serial.flags |= ASYNC_LOW_LATENCY;
  ioctl(fd, TIOCSSERIAL, &serial);
  serial_struct after{};
  if (ioctl(fd, TIOCGSERIAL, &after) != 0) return atOpen;
  const bool granted = (after.flags & ASYNC_LOW_LATENCY) != 0;
  atOpen.request = granted ? LowLatency::granted : LowLatency::refused;
#else
  (void)fd;
#endif
  return atOpen;
}

void PutBackLowLatency(int fd, const LowLatencyAtOpen& atOpen) {
#ifdef __linux__
  serial_struct serial{};
  if (atOpen.request == LowLatency::notKnown || ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
  if (!ClearLowLatencyAtClose(atOpen, (serial.flags & ASYNC_LOW_LATENCY) != 0)) return;
  serial.flags &= ~ASYNC_LOW_LATENCY;
  ioctl(fd, TIOCSSERIAL, &serial);
#else
  (void)fd;
  (void)atOpen;
#endif
}

// Kernels before 3.8 cannot say (nor can other systems); the port is then
// taken to be free, as the lock and TIOCEXCL have already let it through.
bool ExclusiveAlready(int fd) {
#ifdef TIOCGEXCL
  int exclusive = 0;
  return ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
#else
  (void)fd;
  return false;
#endif
}

bool PortIsGone(int error) { return error == EIO || error == ENXIO || error == EBADF; }

}  // namespace

void PortDeviceName(char portDigit, char* name, int size) {
  char variable[] = "VELT_COM1";
  variable[8] = portDigit;
  const char* mapped = std::getenv(variable);
  if (mapped != nullptr && mapped[0] != '\0') {
    std::snprintf(name, size, "%s", mapped);
  } else {
    std::snprintf(name, size, "/dev/ttyS%d", portDigit - '1');
  }
}

int ComPort::OpenDevice(const char* deviceName) {
  Close();
  // The lock file comes first: it is how other serial programs say they hold
  // the port, and looking costs the port nothing.
  std::string lock;
  int owner = 0;
  const PortLock held = TakePortLock(portLockFolder, deviceName, &lock, &owner);
  if (held == PortLock::heldByOther) {
    lastError = PortError::busy;
    return -1;
  }
  int fd = -1;
  const auto refuse = [&](PortError error) {
    if (fd >= 0) ::close(fd);
    ReleasePortLock(lock);
    lastError = error;
    return -1;
  };
  fd = ::open(deviceName, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return refuse(ErrorFromErrno(errno));
  // TIOCEXCL does not stop root, the lock does; together they keep a second
  // program (or a second ComPort) off the line.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return refuse(ErrorFromErrno(errno));
  // Root gets through another program's TIOCEXCL; that program still holds
  // the line. A flag whose lock file's owner is gone is what a killed run
  // left behind (it outlives the process while anybody keeps the terminal
  // open), not a holder.
  if (ExclusiveAlready(fd) && held != PortLock::takenFromDeadOwner) {
    return refuse(PortError::busy);
  }
  if (ioctl(fd, TIOCEXCL) != 0) return refuse(PortError::settingsRefused);
  if (!ConfigureLine(fd)) {
    ioctl(fd, TIOCNXCL);
    return refuse(PortError::settingsRefused);
  }
  DropModemLines(fd);
  const LowLatencyAtOpen asked = AskForLowLatency(fd);
  tcflush(fd, TCIOFLUSH);
  handle = fd;
  lockFile = lock;
  lowLatency = asked;
  isOpen = 1;
  lastError = PortError::none;
  return 0;
}

void ComPort::Close() {
  if (!isOpen) return;
  // The exclusive flag outlives this descriptor while anybody else keeps the
  // terminal open, so take it back before closing. It is ours: Open refuses
  // a port that was exclusive already.
  PutBackLowLatency(handle, lowLatency);
  lowLatency = {};
  ioctl(handle, TIOCNXCL);
  ::close(handle);
  ReleasePortLock(lockFile);
  lockFile.clear();
  isOpen = 0;
}

void ComPort::Write(int count, const uint8_t* data) {
  if (!isOpen) return;
  pending = count;
  int stalled = 0;
  while (pending > 0) {
    const ssize_t written = ::write(handle, data + (count - pending), pending);
    const int error = errno;
    if (written > 0) {
      pending -= static_cast<int>(written);
      stalled = 0;
    } else {
      if (written < 0 && PortIsGone(error)) return;
      if (++stalled >= writeStallLimit) return;
      SleepMilliseconds(writeRetryPauseMilliseconds);
    }
    tcdrain(handle);
  }
}

int ComPort::Read(int count, uint8_t* buffer) {
  if (!isOpen || count <= 0) return 0;
  ssize_t got = ::read(handle, buffer, count);
  if (got > 0) return static_cast<int>(got);
  pollfd waiting{handle, POLLIN, 0};
  if (poll(&waiting, 1, readWaitMilliseconds) <= 0 || !(waiting.revents & POLLIN)) return 0;
  got = ::read(handle, buffer, count);
  return got > 0 ? static_cast<int>(got) : 0;
}

bool ComPort::WaitForData(int milliseconds) {
  if (!isOpen) {
    SleepMilliseconds(milliseconds);
    return false;
  }
  pollfd waiting{handle, POLLIN, 0};
  return poll(&waiting, 1, milliseconds) > 0 && (waiting.revents & POLLIN);
}

void ComPort::ClearReceive() {
  if (isOpen) tcflush(handle, TCIFLUSH);
}

void ComPort::AbortAndClearReceive() { ClearReceive(); }
