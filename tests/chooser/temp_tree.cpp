#include "tests/chooser/temp_tree.h"

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace {

constexpr int openDescriptors = 16;
constexpr mode_t directoryMode = 0755;

int removeEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

}  // namespace

int makeTempTree(TempTree* tree) {
  char pattern[] = "/tmp/velt-chooser-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return -1;
  char resolved[PATH_MAX];
  if (realpath(pattern, resolved) == nullptr) return -1;
  tree->root = resolved;
  return 0;
}

int addFile(const TempTree& tree, const std::string& relative) {
  FILE* file = fopen((tree.root + "/" + relative).c_str(), "w");
  if (file == nullptr) return -1;
  fclose(file);
  return 0;
}

int addDirectory(const TempTree& tree, const std::string& relative) {
  return mkdir((tree.root + "/" + relative).c_str(), directoryMode) == 0 ? 0 : -1;
}

void removeTempTree(TempTree* tree) {
  if (tree->root.empty()) return;
  nftw(tree->root.c_str(), removeEntry, openDescriptors, FTW_DEPTH | FTW_PHYS);
  tree->root.clear();
}
