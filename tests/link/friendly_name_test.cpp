// Device Manager's name of a port's device, as the description beside the
// port's own name.
#include "link/friendly_name.h"

#include <gtest/gtest.h>

namespace {

TEST(FriendlyName, ThePortsOwnNameAtTheEndIsDropped) {
  struct Case {
    const char* friendly;
    const char* port;
    const char* description;
  };
  const Case cases[] = {
      {"USB-SERIAL CH340 (COM7)", "COM7", "USB-SERIAL CH340"},
      {"Prolific USB-to-Serial Comm Port (COM12)", "COM12", "Prolific USB-to-Serial Comm Port"},
      {"Communications Port (COM1)", "COM1", "Communications Port"},
      {"USB Serial Port (com5)", "COM5", "USB Serial Port"},
      {"Стандартный последовательный порт (COM3)  ", "COM3", "Стандартный последовательный порт"},
      {"Silicon Labs CP210x(COM4)", "COM4", "Silicon Labs CP210x"},
      // Another port's name, or none: the text is the device's own.
      {"Bluetooth link (COM12)", "COM1", "Bluetooth link (COM12)"},
      {"USB Serial Device", "COM9", "USB Serial Device"},
      {"(COM7) adapter", "COM7", "(COM7) adapter"},
      {"(COM7)", "COM7", ""},
      {"", "COM7", ""},
      {"Modem (COM2)", "", "Modem (COM2)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DescriptionFromFriendlyName(c.friendly, c.port), c.description)
        << c.friendly << " / " << c.port;
  }
}

}  // namespace
