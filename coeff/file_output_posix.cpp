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

std::FILE* OpenForWriting(const char* path) { return std::fopen(path, "wb"); }

int MoveIntoPlace(const char* from, const char* to, bool replace) {
  if (replace) return std::rename(from, to) == 0 ? 0 : -1;
  // A hard link never replaces what is there; FAT sticks have no links, and
  // there a check just before the rename has to do.
  if (link(from, to) == 0) return unlink(from) == 0 ? 0 : -1;
  if (errno == EEXIST || PathExists(to)) return -1;
  return std::rename(from, to) == 0 ? 0 : -1;
}

int RemoveFile(const char* path) { return unlink(path) == 0 ? 0 : -1; }
