// hex_to_pages, the build step that compiles the firmware in: a refused set
// stops it with the reader's message. Runs the generator as a program, so it
// stays out of the Windows test set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/file_text.h"
#include "tests/support/hex_text.h"
#include "tests/support/temporary_folder.h"

namespace {

// Each case has files of its own: CTest runs the cases in parallel.
class HexToPages : public ::testing::Test {
 protected:
  int Run(const std::string& folder, std::string& output) {
    const std::string log = scratch / "hex_to_pages.log";
    const std::string command =
        std::string(HEX_TO_PAGES) + " " + scratch / "out.cpp" + " " + folder + " 2>" + log;
    const int status = std::system(command.c_str());
    output = FileText(log);
    return status;
  }
  // A set in scratch/set: the shipped files but for `controller1`.
  std::string SetWithController1(const std::string& controller1) {
    std::filesystem::create_directory(scratch / "set");
    scratch.Write("set/controller1.hex", controller1);
    scratch.Write("set/controller2.hex", FileText(shipped + "2.hex"));
    scratch.Write("set/controller3.hex", FileText(shipped + "3.hex"));
    return scratch / "set";
  }
  const std::string shipped = std::string(FIRMWARE_DIR) + "/controller";
  const TemporaryFolder scratch{"velt-hex-to-pages"};
};

TEST_F(HexToPages, AcceptsTheShippedFiles) {
  std::string output;
  EXPECT_EQ(Run(FIRMWARE_DIR, output), 0) << output;
  EXPECT_NE(FileText(scratch / "out.cpp").find("builtInFirmwareRelease[] = \"\";"),
            std::string::npos);
}

TEST_F(HexToPages, FailsOnABadChecksum) {
  const std::string folder = SetWithController1(":022000000405D4\n:00000001FF\n");
  std::string output;
  EXPECT_NE(Run(folder, output), 0);
  EXPECT_NE(output.find("set/controller1.hex, строка 1: неверная контрольная сумма"),
            std::string::npos)
      << output;
}

// Any number of pages fits, as long as no byte leaves the controller's range.
TEST_F(HexToPages, TakesAnyPageCountButNoByteOutsideTheRange) {
  std::string output;
  EXPECT_EQ(Run(SetWithController1(FileText(shipped + "2.hex")), output), 0)
      << "controller 2's 41 pages serve controller 1 too: " << output;

  EXPECT_NE(Run(SetWithController1(HexText(PatternBytes(1, 0x6FF0, 32))), output), 0);
  EXPECT_NE(output.find("байт 0x7000 вне области контроллера 0x2000-0x6FFF"), std::string::npos)
      << output;
}

}  // namespace
