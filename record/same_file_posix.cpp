#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "record/same_file.h"

namespace {

// The folder resolved, the last name as it is: a file not made yet has
// only a path.
std::string ResolvedPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  char resolved[PATH_MAX];
  if (realpath(folder.c_str(), resolved) == nullptr) return path;
  return std::string(resolved) + "/" + name;
}

}  // namespace

bool SameFile(const std::string& first, const std::string& second) {
  struct stat a {}, b {};
  const bool firstThere = stat(first.c_str(), &a) == 0;
  const bool secondThere = stat(second.c_str(), &b) == 0;
  if (firstThere && secondThere) return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
  if (firstThere || secondThere) return false;
  return ResolvedPath(first) == ResolvedPath(second);
}
