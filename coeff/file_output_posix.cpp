#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "coeff/file_output.h"

const char textLineEnd[] = "\n";

bool PathExists(const char* path) {
  struct stat info;
  return lstat(path, &info) == 0;
}

std::FILE* CreateForWriting(const char* path) {
  const mode_t everybodyMayRead = 0666;  // narrowed by the umask, as fopen's files are
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, everybodyMayRead);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
}

int MoveIntoPlace(const char* from, const char* to, bool replace) {
  if (replace) return std::rename(from, to) == 0 ? 0 : -1;
  // A hard link never replaces what is there; FAT sticks have no links, and
  // there a check just before the rename has to do.
  if (link(from, to) == 0) return unlink(from) == 0 ? 0 : -1;
  if (errno == EEXIST || PathExists(to)) return -1;
  return std::rename(from, to) == 0 ? 0 : -1;
}

int RemoveFile(const char* path) { return unlink(path) == 0 ? 0 : -1; }
