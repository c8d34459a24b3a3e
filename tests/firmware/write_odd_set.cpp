// Writes the tests' odd firmware set into a folder, for the build to compile
// in as it would a firm's own set.   write_odd_set FOLDER
#include <fstream>
#include <string>

#include "firmware/firmware_set.h"
#include "tests/firmware/odd_set.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const SetBytes bytes = OddSetBytes();
  std::ofstream release(std::string(argv[1]) + "/" + firmwareReleaseFile, std::ios::binary);
  bool written = static_cast<bool>(release << oddSetRelease << "\n");
  for (int k = 0; k < controllerCount; ++k) {
    std::ofstream out(std::string(argv[1]) + "/" + firmwareSetFiles[k], std::ios::binary);
    written = static_cast<bool>(out << HexText(bytes[k])) && written;
  }
  return written ? 0 : 1;
}
