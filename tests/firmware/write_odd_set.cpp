// Writes the tests' odd firmware set into a folder, for the build to compile
// in as it would compile a firm's own set.
//
//   write_odd_set FOLDER
#include <cstdio>
#include <fstream>
#include <string>

#include "firmware/firmware_set.h"
#include "tests/firmware/odd_set.h"

namespace {

bool Write(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  return static_cast<bool>(out << text);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_odd_set FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const SetBytes bytes = OddSetBytes();
  bool written = Write(folder + "/" + firmwareReleaseFile, std::string(oddSetRelease) + "\n");
  for (int k = 0; k < controllerCount; ++k) {
    written = Write(folder + "/" + firmwareSetFiles[k], HexText(bytes[k])) && written;
  }
  if (!written) std::fprintf(stderr, "write_odd_set: cannot write into %s\n", folder.c_str());
  return written ? 0 : 1;
}
