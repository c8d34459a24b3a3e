// The simulator on a real pty, driven through the real serial port and
// bootloader link code.
#include "sim/simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "link/boot_link.h"
#include "link/com_port.h"
#include "sim/answer_frame.h"
#include "tests/sim/sim_frames.h"
#include "tests/support/sim_settings.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int pageBufferSize = linkBufferSize;

// Reads whatever arrives within `milliseconds`.
std::vector<uint8_t> Drain(ComPort* port, int milliseconds) {
  std::vector<uint8_t> got;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
  uint8_t buffer[linkBufferSize];
  while (Clock::now() < end) {
    const int n = port->Read(sizeof buffer, buffer);
    got.insert(got.end(), buffer, buffer + n);
  }
  return got;
}

struct Connection {
  explicit Connection(const Simulator& sim) : link(&port) {
    opened = port.OpenDevice(sim.DevicePath().c_str());
  }
  ComPort port;
  BootLink link;
  int opened;
};

class SimulatorTest : public ::testing::Test {
 protected:
  explicit SimulatorTest(const SimOptions& options = Unpaced()) : sim(options) {}
  void SetUp() override {
    ASSERT_TRUE(sim.Ok());
    connection.reset(new Connection(sim));
    ASSERT_EQ(connection->opened, 0) << sim.DevicePath();
  }
  BootLink& link() { return connection->link; }

  std::vector<uint8_t> ReadBack(uint32_t address) {
    uint8_t answer[pageBufferSize];
    if (link().ReadPage(address, answer) != 0) return {};
    return {answer + readAnswerHeaderLength, answer + readAnswerHeaderLength + pageSize};
  }

  Simulator sim;
  std::unique_ptr<Connection> connection;
};

std::vector<uint8_t> Slice(const std::vector<uint8_t>& memory, uint32_t address) {
  return {memory.begin() + address, memory.begin() + address + pageSize};
}

TEST_F(SimulatorTest, FlashesAControllerThroughTheBootLink) {
  const std::vector<uint8_t> page = CountingPage(0x00);  // holds 04, 05 and 0F
  link().SelectController3();
  ASSERT_EQ(link().Sync(), 0);
  link().SelectChannel(channelController1);
  ASSERT_EQ(link().Sync(), 0);
  EXPECT_EQ(link().WriteControlByte(0xFF), 0);
  link().SendNullCommand();
  EXPECT_EQ(link().ErasePage(0x2040), 0);
  EXPECT_EQ(link().WritePage(0x2040, page.data()), 0);
  EXPECT_EQ(ReadBack(0x2040), page);

  EXPECT_EQ(Slice(sim.Memory(1), 0x2040), page);
  EXPECT_EQ(Slice(sim.Memory(2), 0x2040), std::vector<uint8_t>(pageSize, 0xFF));
  EXPECT_EQ(Slice(sim.Memory(3), 0x2040), std::vector<uint8_t>(pageSize, 0xFF));
  EXPECT_EQ(sim.ControlByte(1), 0xFF);
  EXPECT_EQ(sim.RoutedController(), 1);

  const std::vector<SimFrame> transcript = sim.Transcript();
  ASSERT_FALSE(transcript.empty());
  EXPECT_EQ(transcript.back().command, 1);
  EXPECT_EQ(transcript.back().controller, 1);
  EXPECT_EQ(transcript.back().address, 0x2040u);
  EXPECT_GT(sim.EchoedBytes(), 0);
  EXPECT_GT(sim.AnsweredBytes(), 0);
}

TEST_F(SimulatorTest, PreloadedMemoryIsReadBack) {
  const std::vector<uint8_t> page = CountingPage(0x80);
  sim.SetMemory(3, 0x7FC0, page);
  EXPECT_EQ(ReadBack(0x7FC0), page);
}

TEST_F(SimulatorTest, SurvivesTheToolOpeningAndClosingAgainAndKeepsMemory) {
  connection.reset();
  constexpr int rounds = 6;
  for (int round = 0; round < rounds; ++round) {
    Connection probe(sim);  // the start-up probe: open, close, nothing sent
    ASSERT_EQ(probe.opened, 0) << round;
  }
  for (int round = 0; round < rounds; ++round) {
    Connection c(sim);
    ASSERT_EQ(c.opened, 0) << round;
    c.link.SelectController3();
    ASSERT_EQ(c.link.Sync(), 0) << round;
    c.link.SelectChannel(channelController2);
    ASSERT_EQ(c.link.Sync(), 0) << round;  // also clears the unanswered frame's echo
    const uint32_t address = 0x4000 + round * pageSize;
    ASSERT_EQ(c.link.ErasePage(address), 0) << round;
    ASSERT_EQ(c.link.WritePage(address, CountingPage(round).data()), 0) << round;
  }
  Connection last(sim);
  ASSERT_EQ(last.opened, 0);
  last.link.SelectController3();
  last.link.SelectChannel(channelController2);
  ASSERT_EQ(last.link.Sync(), 0);
  for (int round = 0; round < rounds; ++round) {
    uint8_t answer[pageBufferSize];
    ASSERT_EQ(last.link.ReadPage(0x4000 + round * pageSize, answer), 0) << round;
    EXPECT_EQ(std::vector<uint8_t>(answer + 5, answer + 5 + pageSize), CountingPage(round));
  }
}

TEST_F(SimulatorTest, SyncVerdictFollowsTheLineFault) {
  struct Case {
    const char* name;
    SimFaults faults;
    int verdict;
    int queriesHeard;
  };
  const Case cases[] = {
      {"healthy", SimFaults{}, 0, 1},
      {"echo only", Faults([](SimFaults& f) { f.echoOnly = true; }), syncEchoOnly, syncAttempts},
      {"silent", Faults([](SimFaults& f) { f.silent = true; }), syncSilent, syncAttempts},
      {"contact at the third attempt",
       Faults([](SimFaults& f) { f.dropAnswer = {{SimCommand::query, 1, 2}}; }), 0, 3},
      {"every query dropped",
       Faults([](SimFaults& f) { f.dropAnswer = {{SimCommand::query, 1, syncAttempts}}; }),
       syncEchoOnly, syncAttempts},
      // Sync looks at the last 8 bytes it read, so junk ahead does no harm.
      {"stray bytes before the answer",
       Faults([](SimFaults& f) { f.strayBytes = {{SimCommand::query, 1}}; }), 0, 1},
  };
  for (const Case& c : cases) {
    sim.SetFaults(c.faults);
    sim.ClearTranscript();
    EXPECT_EQ(link().Sync(), c.verdict) << c.name;
    EXPECT_EQ(static_cast<int>(sim.Transcript().size()), c.queriesHeard) << c.name;
  }
}

TEST_F(SimulatorTest, DamagedOrMissingAcknowledgementFailsOnlyThatCommand) {
  struct Case {
    const char* name;
    std::vector<SimFault> SimFaults::*list;
  } cases[] = {
      {"dropped", &SimFaults::dropAnswer},
      {"bad checksum", &SimFaults::corruptChecksum},
      {"stray bytes ahead", &SimFaults::strayBytes},
  };
  for (const Case& c : cases) {
    SimFaults faults;
    (faults.*c.list).push_back({SimCommand::erase, 2});
    sim.SetFaults(faults);
    EXPECT_EQ(link().ErasePage(0x2000), 0) << c.name;
    EXPECT_EQ(link().ErasePage(0x2040), -1) << c.name;
    Drain(&connection->port, 5);  // the late answer of a failed exchange
    EXPECT_EQ(link().ErasePage(0x2080), 0) << c.name;
  }
}

TEST_F(SimulatorTest, FrameWithBadChecksumComesBackAsEchoOnly) {
  std::vector<uint8_t> frame = QueryFrame();
  frame[4] ^= 0x01;
  connection->port.Write(static_cast<int>(frame.size()), frame.data());
  EXPECT_EQ(Drain(&connection->port, 50), frame);
  EXPECT_EQ(link().Sync(), 0) << "the device still listens afterwards";
}

TEST_F(SimulatorTest, BadReadFaultShowsInTheReadBackOnly) {
  sim.SetFaults(Faults([](SimFaults& f) { f.badReadController = 3; f.badReadPage = 0x2000; }));
  const std::vector<uint8_t> page = CountingPage(0x40);
  ASSERT_EQ(link().ErasePage(0x2000), 0);
  ASSERT_EQ(link().WritePage(0x2000, page.data()), 0);
  const std::vector<uint8_t> readBack = ReadBack(0x2000);
  ASSERT_EQ(readBack.size(), page.size());
  EXPECT_NE(readBack, page);
  EXPECT_EQ(Slice(sim.Memory(3), 0x2000), page);
}

TEST_F(SimulatorTest, LaunchLeavesOnlyTheEchoUntilTheNextSelectController3) {
  ASSERT_EQ(link().Sync(), 0);
  link().Launch();
  link().Delay(1);
  EXPECT_EQ(link().Sync(), syncEchoOnly);
  EXPECT_TRUE(sim.ApplicationRunning());
  link().SelectController3();
  EXPECT_EQ(link().Sync(), 0);
  EXPECT_FALSE(sim.ApplicationRunning());
}

TEST_F(SimulatorTest, IgnoredLaunchKeepsTheBootloaderAnswering) {
  sim.SetFaults(Faults([](SimFaults& f) { f.ignoreLaunch = true; }));
  link().Launch();
  link().Delay(1);
  EXPECT_EQ(link().Sync(), 0);
  EXPECT_FALSE(sim.ApplicationRunning());
}

TEST_F(SimulatorTest, HangUpInTheMiddleOfAWriteLeavesThePortDeadNotHanging) {
  sim.SetFaults(Faults([](SimFaults& f) { f.hangUp = {{SimCommand::write, 2}}; }));
  const std::vector<uint8_t> page = CountingPage(0);
  ASSERT_EQ(link().ErasePage(0x2000), 0);
  EXPECT_EQ(link().WritePage(0x2000, page.data()), 0);
  EXPECT_EQ(link().WritePage(0x2000, page.data()), -1);
  EXPECT_TRUE(sim.HungUp());
  // Further traffic must come back (the test's time-out guards this).
  EXPECT_EQ(link().ErasePage(0x2040), -1);
  EXPECT_EQ(link().Sync(), syncSilent);
}

class SlowFlashSimulatorTest : public SimulatorTest {
 protected:
  SlowFlashSimulatorTest()
      : SimulatorTest(Changed(Unpaced(), [](SimOptions& o) {
          o.eraseLatencyMs = 30;
          o.writeLatencyMs = 20;
        })) {}
};

TEST_F(SlowFlashSimulatorTest, EraseAndWriteAnswersWaitForTheirLatency) {
  const std::vector<uint8_t> page = CountingPage(0);
  Clock::time_point start = Clock::now();
  ASSERT_EQ(link().ErasePage(0x2000), 0);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));
  start = Clock::now();
  ASSERT_EQ(link().WritePage(0x2000, page.data()), 0);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(20));
  EXPECT_EQ(ReadBack(0x2000), page);
}

class PacedSimulatorTest : public SimulatorTest {
 protected:
  PacedSimulatorTest() : SimulatorTest(SimOptions{}) {}
};

TEST_F(PacedSimulatorTest, AnswersLeaveNoFasterThanTheLineRate) {
  // 73 answer bytes at 10 bits each and 57600 baud take 12.67 ms at least.
  constexpr auto readAnswerTime = std::chrono::microseconds(12600);
  constexpr size_t answerLength = 73;
  // Timed from before the write: the device may hear the frame before Write
  // returns, and the pty's own worker may hold bytes back on a busy machine.
  const Clock::time_point sent = Clock::now();
  connection->port.Write(static_cast<int>(ReadFrame(0x2000).size()), ReadFrame(0x2000).data());
  std::vector<uint8_t> got;
  uint8_t buffer[linkBufferSize];
  size_t heldWithTheEcho = 0;  // bytes in hand once the echo was whole
  const size_t echoLength = ReadFrame(0x2000).size();
  while (got.size() < echoLength + answerLength && Clock::now() - sent < std::chrono::seconds(2)) {
    const int n = connection->port.Read(sizeof buffer, buffer);
    got.insert(got.end(), buffer, buffer + n);
    if (heldWithTheEcho == 0 && got.size() >= echoLength) heldWithTheEcho = got.size();
  }
  const Clock::duration total = Clock::now() - sent;
  ASSERT_EQ(got.size(), echoLength + answerLength);
  EXPECT_GE(total, readAnswerTime);
  EXPECT_LT(heldWithTheEcho, echoLength + answerLength) << "the echo comes back ahead of the pace";
  // And the link's own budgets hold with pacing on.
  EXPECT_EQ(link().Sync(), 0);
  EXPECT_EQ(ReadBack(0x2000), std::vector<uint8_t>(pageSize, 0xFF));
}

class FifoSimulatorTest : public SimulatorTest {
 protected:
  static constexpr int fifo = 8;
  FifoSimulatorTest()
      : SimulatorTest(Changed(SimOptions{}, [](SimOptions& o) { o.fifoBytes = fifo; })) {}
};

TEST_F(FifoSimulatorTest, AnswersComeAFifoAtATimeAndTheirTailsWhole) {
  const std::vector<uint8_t> page = CountingPage(0x04);  // escapes lengthen the answer
  sim.SetMemory(3, 0x2000, page);
  // Command, length, address, then the page.
  std::vector<uint8_t> payload(readAnswerHeaderLength + pageSize);
  payload[0] = 0x01;
  payload[1] = 0x40;
  payload[3] = 0x20;
  std::copy(page.begin(), page.end(), payload.begin() + readAnswerHeaderLength);
  std::vector<uint8_t> answer;
  AppendAnswerFrame(payload, 0, &answer);
  const std::vector<uint8_t> frame = ReadFrame(0x2000);
  connection->port.Write(static_cast<int>(frame.size()), frame.data());
  std::vector<uint8_t> got;
  std::vector<size_t> answerPieces;  // answer bytes each read brought
  uint8_t buffer[linkBufferSize];
  const Clock::time_point start = Clock::now();
  const size_t answerLength = answer.size();
  while (got.size() < frame.size() + answerLength && Clock::now() - start < std::chrono::seconds(2)) {
    const int n = connection->port.Read(sizeof buffer, buffer);
    if (n <= 0) continue;
    const size_t echoBefore = std::min(got.size(), frame.size());
    got.insert(got.end(), buffer, buffer + n);
    const size_t answerBytes = got.size() - std::max(echoBefore, std::min(got.size(), frame.size()));
    if (answerBytes > 0) answerPieces.push_back(answerBytes);
  }
  ASSERT_EQ(got.size(), frame.size() + answerLength);
  ASSERT_FALSE(answerPieces.empty());
  // Pieces may merge on a busy machine, never split below the FIFO.
  for (size_t i = 0; i + 1 < answerPieces.size(); ++i) {
    EXPECT_GE(answerPieces[i], static_cast<size_t>(fifo)) << "piece " << i;
  }
  EXPECT_EQ(std::vector<uint8_t>(got.begin() + frame.size(), got.end()), answer);
  EXPECT_EQ(ReadBack(0x2000), page) << "the link still gets its answers whole";
}

}  // namespace
