#include "chooser/path_text.h"

#include <FL/filename.H>
#include <FL/fl_utf8.h>

#include <cstdio>
#include <cstring>

#include "chooser/file_dialog.h"

namespace {

// Larger than any working directory the system reports, so that the
// toolkit's resolution never works at the very edge of its buffer.
constexpr int resolveSize = 2 * FL_PATH_MAX + 4096;

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool fitsDialog(const char* path) {
  return strnlen(path, dialogPathSize) < dialogPathSize;
}

}  // namespace

int copyPath(char* to, int size, const char* from) {
  int length = 0;
  while (length < size - 1 && from[length] != '\0') {
    to[length] = from[length];
    ++length;
  }
  to[length] = '\0';
  return length;
}

void joinPath(char* to, int size, const char* directory, const char* name) {
  if (directory[0] == '\0') {
    copyPath(to, size, name);
  } else if (std::strcmp(directory, "/") == 0) {
    std::snprintf(to, size, "/%s", name);
  } else {
    std::snprintf(to, size, "%s/%s", directory, name);
  }
}

void absolutePath(char* to, int size, const char* from) {
  char resolved[resolveSize];
  fl_filename_absolute(resolved, resolveSize, from);
  copyPath(to, size, resolved);
}

void dropTrailingSeparator(char* path) {
  size_t length = std::strlen(path);
  if (length > 1 && isSeparator(path[length - 1])) path[length - 1] = '\0';
}

bool pathIsDirectory(const char* path) {
  return fitsDialog(path) && fl_filename_isdir(path) != 0;
}

bool pathExists(const char* path) {
  return fitsDialog(path) && fl_access(path, 0) == 0;
}
