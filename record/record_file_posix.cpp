// The record file on POSIX: fcntl record locks, which, unlike flock, also
// hold across NFS shares.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/sleep.h"
#include "record/job_record.h"
#include "record/record_file.h"
#include "record/record_file_shape.h"

namespace {

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// The whole file, now and whatever it grows to.
flock WholeFile(short type) {
  flock region{};
  region.l_type = type;
  region.l_whence = SEEK_SET;
  region.l_start = 0;
  region.l_len = 0;
  return region;
}

int Lock(int fd, std::string* reason) {
  flock region = WholeFile(F_WRLCK);
  for (int attempt = 0; attempt < recordLockAttempts; ++attempt) {
    if (fcntl(fd, F_SETLK, &region) == 0) return 0;
    if (errno != EACCES && errno != EAGAIN) break;
    SleepMilliseconds(recordLockRetryMilliseconds);
  }
  *reason = errno == EACCES || errno == EAGAIN ? "файл занят другой программой"
                                               : Reason("не удалось запереть файл");
  return -1;
}

void Unlock(int fd) {
  flock region = WholeFile(F_UNLCK);
  fcntl(fd, F_SETLK, &region);
}

ReadRecordBytes ReaderOf(int fd) {
  return [fd](long long offset, char* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
      const ssize_t n = pread(fd, buffer + done, count - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  };
}

const char* NotAFile(mode_t mode) {
  if (S_ISDIR(mode)) return "это папка, а не файл";
  if (S_ISFIFO(mode) || S_ISSOCK(mode)) return "это канал, а не файл: строки в нём не останутся";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "это устройство, а не файл";
  return "это не обычный файл";
}

// A name that is there already is looked at before it is opened, so that a
// device is never opened (a serial port would change its modem lines) and a
// FIFO never waits for a reader. What is opened is looked at again, in case
// the name changed in between.
int OpenRegular(const std::string& path, int* fd, std::string* reason) {
  struct stat found {};
  if (stat(path.c_str(), &found) == 0 && !S_ISREG(found.st_mode)) {
    *reason = NotAFile(found.st_mode);
    return -1;
  }
  constexpr mode_t readableByAll = 0644;
  const int opened = ::open(path.c_str(),
                            O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK,
                            readableByAll);
  if (opened < 0) {
    *reason = Reason("не удалось открыть");
    return -1;
  }
  if (fstat(opened, &found) != 0 || !S_ISREG(found.st_mode)) {
    *reason = NotAFile(found.st_mode);
    ::close(opened);
    return -1;
  }
  fcntl(opened, F_SETFL, O_APPEND);  // O_NONBLOCK was for the open only
  *fd = opened;
  return 0;
}

// The name still leads to the file that is open: same device, same inode.
bool StillNamed(int fd, const std::string& path) {
  struct stat named {}, held {};
  return stat(path.c_str(), &named) == 0 && fstat(fd, &held) == 0 &&
         named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

int WriteAll(int fd, const std::string& text, std::string* reason) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *reason = Reason("не удалось записать строку");
      return -1;
    }
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) {
    *reason = Reason("не удалось сбросить файл на диск");
    return -1;
  }
  return 0;
}

}  // namespace

RecordFile::~RecordFile() {
  if (open) ::close(handle);
}

int RecordFile::Open(const std::string& path, std::string* reason) {
  // Opened again (another name, or after a failure): the old one goes.
  std::lock_guard<std::mutex> guard(mutex);
  if (open) ::close(handle);
  open = false;
  int fd = -1;
  if (OpenRegular(path, &fd, reason) != 0) return -1;
  if (Lock(fd, reason) != 0) {
    ::close(fd);
    return -1;
  }
  const off_t size = lseek(fd, 0, SEEK_END);
  oddity = RecordOddity(ReaderOf(fd), size);
  Unlock(fd);
  handle = fd;
  open = true;
  name = path;
  return 0;
}

int RecordFile::Append(const std::string& row, std::string* reason) {
  std::lock_guard<std::mutex> guard(mutex);
  if (!open) {
    *reason = "файл не открыт";
    return -1;
  }
  if (!StillNamed(handle, name)) {
    int renewed = -1;
    if (OpenRegular(name, &renewed, reason) != 0) {
      *reason = "файл переименован или удалён, а заново не открылся: " + *reason;
      return -1;
    }
    ::close(handle);
    handle = renewed;
    quotes = QuoteCount{};
  }
  if (Lock(handle, reason) != 0) return -1;
  const off_t size = lseek(handle, 0, SEEK_END);
  if (size < 0) {
    *reason = Reason("не удалось узнать размер файла");
    Unlock(handle);
    return -1;
  }
  std::string lead;
  int result = RecordLead(ReaderOf(handle), size, &quotes, &lead, reason);
  if (result == 0) result = WriteAll(handle, lead + row, reason);
  // A row that is not all there would read as one that is (a full disk
  // cuts it anywhere): whatever went in is taken out again.
  if (result != 0 && ftruncate(handle, size) != 0) *reason += "; " + Reason("не удалось обрезать");
  Unlock(handle);
  return result;
}

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}
