// The Win32 port. The settings are checked as plain records; the tests that
// talk to a device need VELT_TEST_PORT, the digit of a COM port that leads to
// velt-sim (scripts/test-windows maps one), and are skipped without it.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "link/boot_link.h"
#include "link/com_port.h"
#include "link/port_identity.h"
#include "link/com_settings_win32.h"
#include "tests/windows/win32_files.h"

namespace {

// The DCB's bit fields share one DWORD right after BaudRate.
constexpr size_t flagWordOffset = offsetof(DCB, BaudRate) + sizeof(DWORD);
static_assert(offsetof(DCB, wReserved) == flagWordOffset + sizeof(DWORD), "DCB layout");

DWORD FlagWord(const DCB& dcb) {
  DWORD word = 0;
  std::memcpy(&word, reinterpret_cast<const char*>(&dcb) + flagWordOffset, sizeof word);
  return word;
}

void SetFlagWord(DCB& dcb, DWORD word) {
  std::memcpy(reinterpret_cast<char*>(&dcb) + flagWordOffset, &word, sizeof word);
}

TEST(Win32LineSettings, ClearOnlyTheFlowControlAndModemLineBits) {
  // Bits kept: fBinary, fParity, fDsrSensitivity, fTXContinueOnXoff (low
  // byte); fErrorChar, fNull and the first reserved bit (second byte); the
  // upper half whole.
  constexpr DWORD keptBits = 0xFFFF8CC3;
  const DWORD before[] = {0xFFFFFFFF, 0x00000000, 0x12345678, 0xA5A5A5A5};
  for (const DWORD word : before) {
    DCB dcb;
    std::memset(&dcb, 0x5A, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    SetFlagWord(dcb, word);
    DCB expected = dcb;
    ApplyLineSettings(dcb);

    EXPECT_EQ(FlagWord(dcb), word & keptBits) << std::hex << word;
    EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(CBR_57600));
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    // Every member after the flags but the three set above keeps its value.
    expected.BaudRate = dcb.BaudRate;
    SetFlagWord(expected, FlagWord(dcb));
    expected.ByteSize = dcb.ByteSize;
    expected.Parity = dcb.Parity;
    expected.StopBits = dcb.StopBits;
    EXPECT_EQ(std::memcmp(&dcb, &expected, sizeof dcb), 0) << std::hex << word;
  }
}

TEST(Win32LineSettings, ReadsReturnAtOnceAndWriteTimeoutsAreKept) {
  struct Case {
    DWORD multiplier;
    DWORD constant;
  };
  const Case writeTimeouts[] = {{0, 0}, {10, 500}, {MAXDWORD, 1}};
  for (const Case& c : writeTimeouts) {
    COMMTIMEOUTS timeouts{50, 20, 1000, c.multiplier, c.constant};
    ApplyReadTimeouts(timeouts);
    EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 1u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, c.multiplier);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, c.constant);
  }
}

TEST(Win32Port, DigitsNameThePlainComDevices) {
  char name[16];
  for (const char digit : {'1', '2', '3', '4'}) {
    PortDeviceName(digit, name, sizeof name);
    EXPECT_EQ(std::string(name), std::string("COM") + digit);
  }
}

TEST(Win32Port, WhatCannotBeOpenedLeavesThePortClosed) {
  ComPort port;
  EXPECT_EQ(port.OpenDevice("VELT-NO-SUCH-PORT"), -1);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.LastError(), PortError::missing);
  EXPECT_EQ(port.Open('0'), -1);
  EXPECT_EQ(port.Open('5'), -1);
  EXPECT_FALSE(port.IsOpen());

  uint8_t buffer[8] = {};
  const uint8_t byte = 0x55;
  port.Write(1, &byte);  // nothing to write to: must neither crash nor hang
  EXPECT_EQ(port.Read(sizeof buffer, buffer), 0);
  port.Close();
  port.Close();
  EXPECT_FALSE(port.IsOpen());
}

// The tests below talk to the simulator through a real COM port.
class Win32PortOnDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* digit = std::getenv("VELT_TEST_PORT");
    if (digit == nullptr || digit[0] < '1' || digit[0] > '4' || digit[1] != '\0') {
      GTEST_SKIP() << "VELT_TEST_PORT is not set to a COM port digit leading to velt-sim";
    }
    portDigit = digit[0];
    ASSERT_EQ(port.Open(portDigit), 0) << PortErrorText(port.LastError());
  }

  char portDigit = '1';
  ComPort port;
};

TEST_F(Win32PortOnDevice, TheBootloaderAnswersThePresenceQuery) {
  BootLink link(&port);
  EXPECT_EQ(link.Sync(), 0);
}

TEST_F(Win32PortOnDevice, APageRoundTripsThroughWriteAndRead) {
  BootLink link(&port);
  ASSERT_EQ(link.Sync(), 0);
  constexpr uint32_t address = 0x2040;
  uint8_t page[pageSize];
  for (int i = 0; i < pageSize; ++i) page[i] = static_cast<uint8_t>(i * 37);
  page[0] = 0x04;  // the three bytes the line escapes
  page[1] = 0x05;
  page[2] = 0x0F;
  ASSERT_EQ(link.ErasePage(address), 0);
  ASSERT_EQ(link.WritePage(address, page), 0);
  uint8_t answer[linkBufferSize] = {};
  ASSERT_EQ(link.ReadPage(address, answer), 0);
  EXPECT_EQ(std::memcmp(answer + readAnswerHeaderLength, page, pageSize), 0);
}

TEST_F(Win32PortOnDevice, ASecondOpenIsRefusedWhileThePortIsHeld) {
  if (UnderWine()) GTEST_SKIP() << "wine does not keep serial ports exclusive";
  ComPort second;
  EXPECT_EQ(second.Open(portDigit), -1);
  EXPECT_EQ(second.LastError(), PortError::busy);
  EXPECT_FALSE(second.IsOpen());
  port.Close();
  EXPECT_EQ(second.Open(portDigit), 0) << "the handle was given back";
}

TEST_F(Win32PortOnDevice, ReadsWithNothingWaitingReturnEmptyWithoutHanging) {
  constexpr int reads = 20;
  constexpr auto generousBound = std::chrono::seconds(5);
  uint8_t buffer[linkBufferSize];
  const uint8_t nothing = 0x00;
  port.Write(0, &nothing);  // writes nothing, so nothing echoes
  const auto start = std::chrono::steady_clock::now();
  int got = 0;
  for (int i = 0; i < reads; ++i) got += port.Read(sizeof buffer, buffer);
  EXPECT_EQ(got, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, generousBound);
}

// One port under two spellings is one port; two ports are two.
TEST(PortIdentityOnWindows, SpellingsOfOneComPortAreOne) {
  const struct {
    const char* first;
    const char* second;
    bool same;
  } cases[] = {
      {"COM3", "com3", true},
      {"COM3", "\\\\.\\COM3", true},
      {"\\\\.\\com12", "COM12", true},
      {"COM1", "COM12", false},
      {"COM3", "COM4", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PortIdentity(c.first) == PortIdentity(c.second), c.same)
        << c.first << " and " << c.second;
  }
}

}  // namespace
