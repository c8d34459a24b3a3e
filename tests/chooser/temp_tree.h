// A fresh directory under /tmp with files and folders of known names,
// removed with everything in it when the test ends.
#pragma once

#include <string>

#include "tests/support/temporary_folder.h"

struct TempTree {
  TemporaryFolder folder{"velt-chooser"};
  std::string root;  // absolute, symbolic links resolved
};

// 0 on success, negative when the directory cannot be made.
int makeTempTree(TempTree* tree);
// Creates an empty file or a directory at root/relative; 0 or negative.
int addFile(const TempTree& tree, const std::string& relative);
int addDirectory(const TempTree& tree, const std::string& relative);
