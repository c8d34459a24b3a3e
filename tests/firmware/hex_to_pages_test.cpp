// hex_to_pages, the build step that compiles the firmware in: a bad file or a
// wrong layout stops it with a message. Runs the generator as a program, so
// it stays out of the Windows test set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/temporary_folder.h"
#include "tests/support/file_text.h"

namespace {

// Each case has files of its own: CTest runs the cases in parallel.
class HexToPages : public ::testing::Test {
 protected:
  int Run(const std::string& c1, const std::string& c2, const std::string& c3, std::string& output) {
    const std::string log = scratch / "hex_to_pages.log";
    const std::string command = std::string(HEX_TO_PAGES) + " " + scratch / "out.cpp" + " " + c1 +
                                " " + c2 + " " + c3 + " 2>" + log;
    const int status = std::system(command.c_str());
    output = FileText(log);
    return status;
  }
  const std::string shipped = std::string(FIRMWARE_DIR) + "/controller";
  const TemporaryFolder scratch{"velt-hex-to-pages"};
};

TEST_F(HexToPages, AcceptsTheShippedFiles) {
  std::string output;
  EXPECT_EQ(Run(shipped + "1.hex", shipped + "2.hex", shipped + "3.hex", output), 0) << output;
}

TEST_F(HexToPages, FailsOnABadChecksum) {
  const std::string bad = scratch.Write("bad.hex", ":022000000405D4\n:00000001FF\n");
  std::string output;
  EXPECT_NE(Run(bad, shipped + "2.hex", shipped + "3.hex", output), 0);
  EXPECT_NE(output.find("bad.hex: line 1: bad checksum"), std::string::npos) << output;
}

TEST_F(HexToPages, FailsWhenPagesAreMissingOrOutsideTheLayout) {
  std::string output;
  EXPECT_NE(Run(shipped + "2.hex", shipped + "2.hex", shipped + "3.hex", output), 0)
      << "controller 2's 41 pages are not controller 1's 53";
  EXPECT_NE(output.find("no data for the page at 0x2A40"), std::string::npos) << output;

  EXPECT_NE(Run(shipped + "1.hex", shipped + "1.hex", shipped + "3.hex", output), 0);
  EXPECT_NE(output.find("outside the firmware pages"), std::string::npos) << output;
}

}  // namespace
