// The record file on POSIX: fcntl record locks, which, unlike flock, also
// hold across NFS shares.
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/sleep.h"
#include "record/job_record.h"
#include "record/record_file.h"

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

// What must go in front of the row: the header in an empty file, a line
// end after a row a crash cut short.
int Lead(int fd, std::string* lead, std::string* reason) {
  const off_t size = lseek(fd, 0, SEEK_END);
  if (size < 0) {
    *reason = Reason("не удалось узнать размер файла");
    return -1;
  }
  if (size == 0) {
    *lead = RecordHeader();
    return 0;
  }
  char last = 0;
  if (pread(fd, &last, 1, size - 1) != 1) {
    *reason = Reason("не удалось прочитать файл");
    return -1;
  }
  if (last != '\n') *lead = "\r\n";
  return 0;
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
  constexpr mode_t readableByAll = 0644;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, readableByAll);
  if (fd < 0) {
    *reason = Reason("не удалось открыть");
    return -1;
  }
  if (Lock(fd, reason) != 0) {
    ::close(fd);
    return -1;
  }
  Unlock(fd);
  handle = fd;
  open = true;
  return 0;
}

int RecordFile::Append(const std::string& row, std::string* reason) {
  std::lock_guard<std::mutex> guard(mutex);
  if (!open) {
    *reason = "файл не открыт";
    return -1;
  }
  if (Lock(handle, reason) != 0) return -1;
  std::string lead;
  int result = Lead(handle, &lead, reason);
  if (result == 0) result = WriteAll(handle, lead + row, reason);
  Unlock(handle);
  return result;
}

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}
