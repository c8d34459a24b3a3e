#include "tests/chooser/temp_tree.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <climits>

namespace {

constexpr mode_t directoryMode = 0755;

}  // namespace

int makeTempTree(TempTree* tree) {
  char resolved[PATH_MAX];
  if (!tree->folder.Ok() || realpath(tree->folder.Path().c_str(), resolved) == nullptr) return -1;
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
