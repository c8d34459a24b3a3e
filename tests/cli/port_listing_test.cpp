#include "cli/port_listing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Contents(std::FILE* file) {
  std::string text;
  std::rewind(file);
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  std::fclose(file);
  return text;
}

TEST(PortListing, DescriptionsLineUpAfterTheLongestName) {
  struct Case {
    std::vector<PortInfo> ports;
    std::string out;
    bool noted;
  };
  const Case cases[] = {
      {{}, "", true},
      {{{"COM7", "COM7", ""}, {"COM12", "COM12", ""}}, "COM7\nCOM12\n", false},
      {{{"ttyS0", "/dev/ttyS0", ""}, {"ttyUSB10", "/dev/ttyUSB10", "FTDI FT232R"}},
       "ttyS0\nttyUSB10  FTDI FT232R\n", false},
      {{{"ttyACM0", "/dev/ttyACM0", "Arduino Uno"}, {"ttyUSB10", "/dev/ttyUSB10", "CP2102"}},
       "ttyACM0   Arduino Uno\nttyUSB10  CP2102\n", false},
  };
  for (const Case& c : cases) {
    std::FILE* out = std::tmpfile();
    std::FILE* notes = std::tmpfile();
    ASSERT_TRUE(out != nullptr && notes != nullptr);
    EXPECT_EQ(PrintPortList(c.ports, out, notes), 0);
    EXPECT_EQ(Contents(out), c.out);
    EXPECT_EQ(Contents(notes).empty(), !c.noted);
  }
}

TEST(PortListing, PathsAndDigitsAreNeverLookedUp) {
  for (const char* port : {"1", "4", "/dev/ttyUSB0", "\\\\.\\COM12", "./ttyUSB0"}) {
    EXPECT_EQ(PortDeviceFor(port), port);
  }
}

}  // namespace
