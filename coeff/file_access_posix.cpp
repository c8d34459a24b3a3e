#include <sys/stat.h>

#include "coeff/file_access.h"

std::FILE* OpenForReading(const char* path) { return std::fopen(path, "rb"); }

int InspectPath(const char* path, PathKind* kind) {
  struct stat info;
  if (stat(path, &info) != 0) return -1;
  if (S_ISREG(info.st_mode)) *kind = PathKind::regular;
  else if (S_ISDIR(info.st_mode)) *kind = PathKind::directory;
  else *kind = PathKind::other;
  return 0;
}
