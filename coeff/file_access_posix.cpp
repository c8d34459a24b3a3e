#include <sys/stat.h>

#include "coeff/file_access.h"

std::FILE* OpenForReading(const char* path) { return std::fopen(path, "rb"); }

int InspectPath(const char* path, bool* isDirectory) {
  struct stat info;
  if (stat(path, &info) != 0) return -1;
  *isDirectory = S_ISDIR(info.st_mode);
  return 0;
}
