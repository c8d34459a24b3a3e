#include "link/com_port.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
// Only proves that a call does not hang; speed is the benchmark's business.
constexpr auto doesNotHang = std::chrono::milliseconds(500);

// A pseudo-terminal standing in for a serial port; the test keeps the
// controller side and a terminal-side descriptor of its own.
class PtyPort : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[256];
    ASSERT_EQ(openpty(&controller, &terminal, name, nullptr, nullptr), 0);
    path = name;
    termios raw{};
    tcgetattr(terminal, &raw);
    cfmakeraw(&raw);
    tcsetattr(terminal, TCSANOW, &raw);
  }
  void TearDown() override {
    if (controller >= 0) close(controller);
    close(terminal);
  }
  int Waiting(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
  }

  int controller = -1;
  int terminal = -1;
  std::string path;
};

TEST_F(PtyPort, OpensAndClosesAgainAndAgain) {
  ComPort port;
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(port.OpenDevice(path.c_str()), 0);
    EXPECT_TRUE(port.IsOpen());
    port.Close();
    EXPECT_FALSE(port.IsOpen());
  }
  port.Close();  // closing a closed port does nothing
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(PtyPort, SecondOpenIsRefusedWhileTheFirstHoldsThePort) {
  ComPort first;
  ComPort second;
  ASSERT_EQ(first.OpenDevice(path.c_str()), 0);
  EXPECT_EQ(second.OpenDevice(path.c_str()), -1);
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(second.LastError(), PortError::busy);
  first.Close();
  EXPECT_EQ(second.OpenDevice(path.c_str()), 0) << "the port is free again after Close";
}

int ExclusiveFlag(int fd) {
  int exclusive = -1;
  ioctl(fd, TIOCGEXCL, &exclusive);
  return exclusive;
}

// Another program holds the port by a lock, or in exclusive mode (which root
// gets through): refused, and its hold left as it was.
TEST_F(PtyPort, APortAnotherProgramHoldsIsRefusedAndLeftHeld) {
  for (const bool exclusiveMode : {false, true}) {
    const int other = open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(exclusiveMode ? ioctl(other, TIOCEXCL) : flock(other, LOCK_EX | LOCK_NB), 0);
    ComPort port;
    EXPECT_EQ(port.OpenDevice(path.c_str()), -1);
    EXPECT_EQ(port.LastError(), PortError::busy);
    port.Close();
    EXPECT_EQ(ExclusiveFlag(other), exclusiveMode ? 1 : 0);
    close(other);
  }
}

TEST_F(PtyPort, ConfiguresRaw57600EightNoneOne) {
  ComPort port;
  ASSERT_EQ(port.OpenDevice(path.c_str()), 0);
  termios settings{};
  ASSERT_EQ(tcgetattr(terminal, &settings), 0);
  EXPECT_EQ(cfgetospeed(&settings), B57600);
  EXPECT_EQ(cfgetispeed(&settings), B57600);
  EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(settings.c_cflag & PARENB);
  EXPECT_FALSE(settings.c_cflag & CSTOPB);
  EXPECT_FALSE(settings.c_cflag & CRTSCTS);
  EXPECT_TRUE(settings.c_cflag & CLOCAL);
  EXPECT_FALSE(settings.c_iflag & (IXON | IXOFF));
  EXPECT_FALSE(settings.c_lflag & (ECHO | ICANON));
}

TEST_F(PtyPort, ReadReturnsWhatIsWaitingWithoutWaitingToFillTheCount) {
  ComPort port;
  ASSERT_EQ(port.OpenDevice(path.c_str()), 0);
  uint8_t buffer[256];

  const auto before = Clock::now();
  EXPECT_EQ(port.Read(256, buffer), 0);
  EXPECT_LT(Clock::now() - before, doesNotHang);

  const uint8_t fourteen[14] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
  ASSERT_EQ(write(controller, fourteen, sizeof fourteen), 14);
  EXPECT_EQ(port.Read(256, buffer), 14);
  EXPECT_EQ(buffer[13], 14);
  EXPECT_EQ(port.Read(0, buffer), 0);
}

TEST_F(PtyPort, WritesEverythingAndNothingForZeroBytes) {
  ComPort port;
  ASSERT_EQ(port.OpenDevice(path.c_str()), 0);
  const uint8_t frame[] = {0x0F, 0x0F, 0x00, 0x02, 0xFE, 0x04};
  port.Write(0, frame);
  EXPECT_FALSE(Waiting(controller));
  port.Write(sizeof frame, frame);
  uint8_t received[16];
  EXPECT_EQ(read(controller, received, sizeof received), 6);
  EXPECT_EQ(received[4], 0xFE);
}

TEST_F(PtyPort, ClearReceiveDropsWhatWaits) {
  ComPort port;
  ASSERT_EQ(port.OpenDevice(path.c_str()), 0);
  const uint8_t junk[5] = {9, 9, 9, 9, 9};
  ASSERT_EQ(write(controller, junk, sizeof junk), 5);
  usleep(10000);
  port.ClearReceive();
  uint8_t buffer[16];
  EXPECT_EQ(port.Read(16, buffer), 0);
}

TEST_F(PtyPort, WriteReturnsWhenTheLineIsGone) {
  ComPort port;
  ASSERT_EQ(port.OpenDevice(path.c_str()), 0);
  close(controller);
  controller = -1;
  const uint8_t frame[64] = {};
  const auto before = Clock::now();
  port.Write(sizeof frame, frame);
  EXPECT_LT(Clock::now() - before, std::chrono::seconds(3));
  uint8_t buffer[16];
  EXPECT_EQ(port.Read(16, buffer), 0);
}

TEST_F(PtyPort, PortDigitsFollowTheirEnvironmentVariables) {
  setenv("VELT_COM3", path.c_str(), 1);
  setenv("VELT_COM4", "/nonexistent/velt-port", 1);
  char name[64];
  PortDeviceName('3', name, sizeof name);
  EXPECT_EQ(path, name);
  unsetenv("VELT_COM2");
  PortDeviceName('2', name, sizeof name);
  EXPECT_STREQ(name, "/dev/ttyS1");

  ComPort port;
  EXPECT_EQ(port.Open('3'), 0);
  port.Close();
  EXPECT_EQ(port.Open('4'), -1);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.LastError(), PortError::missing);
  EXPECT_EQ(port.Open('5'), -1);
  EXPECT_EQ(port.Open('0'), -1);
  unsetenv("VELT_COM3");
  unsetenv("VELT_COM4");
}

TEST(ComPort, ClosedPortIgnoresTraffic) {
  ComPort port;
  const uint8_t frame[3] = {1, 2, 3};
  port.Write(3, frame);
  uint8_t buffer[4];
  EXPECT_EQ(port.Read(4, buffer), 0);
  port.ClearReceive();
  EXPECT_FALSE(port.IsOpen());
}

}  // namespace
