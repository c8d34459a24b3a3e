#include "sim/device_model.h"

#include <gtest/gtest.h>

#include "link/frame_codec.h"
#include "tests/sim/sim_frames.h"
#include "tests/support/sim_settings.h"

namespace {

struct Heard {
  std::vector<uint8_t> echo;
  std::vector<uint8_t> answer;
  int latencyMs = 0;
  bool hangUp = false;
};

Heard Send(DeviceModel* model, const std::vector<uint8_t>& bytes) {
  Heard heard;
  DeviceReply reply;
  for (uint8_t byte : bytes) {
    DeviceReceiveByte(model, byte, &reply);
    if (reply.echo) heard.echo.push_back(byte);
    heard.answer.insert(heard.answer.end(), reply.answer.begin(), reply.answer.end());
    heard.latencyMs = std::max(heard.latencyMs, reply.latencyMs);
    heard.hangUp = heard.hangUp || reply.hangUp;
  }
  return heard;
}

// The answer's payload, or an empty vector when it does not decode.
std::vector<uint8_t> Payload(const std::vector<uint8_t>& answer) {
  std::vector<uint8_t> body(answer.size() + 2);
  const int n = DecodeFrame(static_cast<int>(answer.size()), answer.data(), body.data());
  if (n <= 0) return {};
  body.resize(n);
  return body;
}

class DeviceModelTest : public ::testing::Test {
 protected:
  void SetUp() override { InitDeviceModel(&model, SimOptions{}); }

  std::vector<uint8_t> Page(int controller, uint32_t address) const {
    const std::vector<uint8_t>& memory = model.memory[controller - 1];
    return {memory.begin() + address, memory.begin() + address + 64};
  }

  DeviceModel model;
};

const std::vector<uint8_t> queryAnswer = {0x0F, 0x0F, 0x00, 0x02, 0x05, 0x04, 0xFA, 0x04};

TEST_F(DeviceModelTest, EchoesEveryByteAndAnswersTheQueryWithTheExactFrame) {
  const Heard heard = Send(&model, QueryFrame());
  EXPECT_EQ(heard.echo, QueryFrame());
  EXPECT_EQ(heard.answer, queryAnswer);
}

TEST_F(DeviceModelTest, AcknowledgesEraseWriteAndControlWithTheirCode) {
  struct Case {
    const char* name;
    std::vector<uint8_t> frame;
    std::vector<uint8_t> answer;
  } cases[] = {
      {"erase", EraseFrame(0x2040), {0x0F, 0x0F, 0x03, 0xFD, 0x04}},
      {"write", WriteFrame(0x2040, CountingPage(0)), {0x0F, 0x0F, 0x02, 0xFE, 0x04}},
      {"control", ControlFrame(0xFF), {0x0F, 0x0F, 0x05, 0x05, 0xFB, 0x04}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Send(&model, c.frame).answer, c.answer) << c.name;
  }
}

TEST_F(DeviceModelTest, ReadAnswersWithFiveHeaderBytesThenThePage) {
  model.memory[2][0x2040] = 0x04;  // needs escaping on the way back
  model.memory[2][0x207F] = 0x0F;
  const std::vector<uint8_t> payload = Payload(Send(&model, ReadFrame(0x2040)).answer);
  ASSERT_EQ(payload.size(), 69u);
  EXPECT_EQ(std::vector<uint8_t>(payload.begin(), payload.begin() + 5),
            (std::vector<uint8_t>{0x01, 0x40, 0x40, 0x20, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(payload.begin() + 5, payload.end()), Page(3, 0x2040));
}

TEST_F(DeviceModelTest, LineControlRoutesToTheRightController) {
  struct Case {
    std::vector<uint8_t> select;
    int controller;
  } cases[] = {
      {SelectChannelFrame(2), 1},
      {SelectChannelFrame(1), 2},
      {SelectController3Frame(), 3},
  };
  uint32_t address = 0x3000;  // a fresh page per case
  for (const Case& c : cases) {
    EXPECT_TRUE(Send(&model, c.select).answer.empty()) << "line control is not answered";
    EXPECT_EQ(model.routed, c.controller);
    Send(&model, EraseFrame(address));
    Send(&model, WriteFrame(address, CountingPage(0x10)));
    for (int other = 1; other <= simControllerCount; ++other) {
      const std::vector<uint8_t> expected =
          other == c.controller ? CountingPage(0x10) : std::vector<uint8_t>(64, 0xFF);
      EXPECT_EQ(Page(other, address), expected) << "controller " << other;
    }
    address += 64;
  }
}

TEST_F(DeviceModelTest, WriteOnlyClearsBitsUntilThePageIsErased) {
  const std::vector<uint8_t> a(64, 0xF0);
  const std::vector<uint8_t> b(64, 0x3C);
  Send(&model, WriteFrame(0x2000, a));
  EXPECT_EQ(Page(3, 0x2000), a);
  Send(&model, WriteFrame(0x2000, b));  // no erase in between
  EXPECT_EQ(Page(3, 0x2000), std::vector<uint8_t>(64, 0x30));
  Send(&model, EraseFrame(0x2000 + 17));  // any address inside the page erases it
  EXPECT_EQ(Page(3, 0x2000), std::vector<uint8_t>(64, 0xFF));
  Send(&model, WriteFrame(0x2000, b));
  EXPECT_EQ(Page(3, 0x2000), b);
  EXPECT_EQ(Page(3, 0x2040), std::vector<uint8_t>(64, 0xFF)) << "neighbour untouched";
}

TEST_F(DeviceModelTest, FillOptionSetsTheStartingMemory) {
  InitDeviceModel(&model, Changed(SimOptions{}, [](SimOptions& o) { o.fill = 0x5A; }));
  for (int c = 1; c <= simControllerCount; ++c) {
    EXPECT_EQ(model.memory[c - 1], std::vector<uint8_t>(simMemorySize, 0x5A));
  }
}

TEST_F(DeviceModelTest, BadChecksumIsEchoedRecordedAndNotObeyed) {
  std::vector<uint8_t> frame = WriteFrame(0x2000, CountingPage(0x20));
  frame[frame.size() - 2] ^= 0x01;
  const Heard heard = Send(&model, frame);
  EXPECT_EQ(heard.echo, frame);
  EXPECT_TRUE(heard.answer.empty());
  EXPECT_EQ(Page(3, 0x2000), std::vector<uint8_t>(64, 0xFF));
  ASSERT_EQ(model.transcript.size(), 1u);
  EXPECT_FALSE(model.transcript[0].checksumOk);
}

TEST_F(DeviceModelTest, UnansweredAndMalformedCommandsGetNoAnswer) {
  struct Case {
    const char* name;
    std::vector<uint8_t> frame;
  } cases[] = {
      {"null command", NullFrame()},
      {"launch", LaunchFrame()},
      {"unknown command 6", HostFrame(6, 1, 0, {0x01})},
      {"read past the end of memory", ReadFrame(0x7FC1)},
      {"write past the end of memory", WriteFrame(0x8000, CountingPage(0))},
      {"erase past the end of memory", EraseFrame(0x8000)},
      {"read of 32 bytes", HostFrame(1, 32, 0x2000)},
      {"write of 32 bytes", HostFrame(2, 32, 0x2000, CountingPage(0))},
      {"control byte at 254", HostFrame(5, 1, 254, {0xFF})},
      {"query with other data", HostFrame(0, 1, 0, {0x03})},
  };
  for (const Case& c : cases) {
    InitDeviceModel(&model, SimOptions{});
    EXPECT_TRUE(Send(&model, c.frame).answer.empty()) << c.name;
    EXPECT_EQ(model.memory[2], std::vector<uint8_t>(simMemorySize, 0xFF)) << c.name;
  }
}

TEST_F(DeviceModelTest, FramesAreFoundBehindNoiseAndAfterABrokenStart) {
  std::vector<uint8_t> bytes = {0x00, 0x0F, 0x33, 0x0F, 0x0F, 0x01, 0x02};  // junk, half a frame
  const std::vector<uint8_t> query = QueryFrame();
  bytes.insert(bytes.end(), query.begin(), query.end());
  const Heard heard = Send(&model, bytes);
  EXPECT_EQ(heard.echo, bytes);
  EXPECT_EQ(heard.answer, queryAnswer);
}

TEST_F(DeviceModelTest, TranscriptRecordsRouteCommandAddressAndData) {
  const std::vector<uint8_t> page = {0x04, 0x05, 0x0F};  // escaped on the wire
  std::vector<uint8_t> full = CountingPage(0);
  std::copy(page.begin(), page.end(), full.begin());
  Send(&model, SelectChannelFrame(2));
  Send(&model, WriteFrame(0x2078, full));
  Send(&model, QueryFrame());
  ASSERT_EQ(model.transcript.size(), 3u);
  EXPECT_EQ(model.transcript[0].controller, 3);
  EXPECT_EQ(model.transcript[0].command, 8);
  EXPECT_EQ(model.transcript[0].address, 253u);
  EXPECT_EQ(model.transcript[0].data, (std::vector<uint8_t>{0x04, 0x00, 0xFF}));
  EXPECT_EQ(model.transcript[1].controller, 1);
  EXPECT_EQ(model.transcript[1].command, 2);
  EXPECT_EQ(model.transcript[1].address, 0x2078u);
  EXPECT_EQ(model.transcript[1].data, full);
  EXPECT_EQ(model.transcript[2].command, 0);
  EXPECT_EQ(model.transcript[2].data, (std::vector<uint8_t>{0x02}));
}

TEST_F(DeviceModelTest, ControlByteIsKeptPerController) {
  Send(&model, SelectChannelFrame(1));
  Send(&model, ControlFrame(0xFF));
  EXPECT_EQ(model.controlByte[1], 0xFF);
  EXPECT_EQ(model.controlByte[0], 0x00);
  Send(&model, ControlFrame(0x00));
  EXPECT_EQ(model.controlByte[1], 0x00);
}

TEST_F(DeviceModelTest, LaunchLeavesOnlyTheEchoUntilController3IsSelectedAgain) {
  Send(&model, LaunchFrame());
  EXPECT_TRUE(model.launched);
  const Heard launched = Send(&model, QueryFrame());
  EXPECT_EQ(launched.echo, QueryFrame());
  EXPECT_TRUE(launched.answer.empty());
  EXPECT_TRUE(Send(&model, EraseFrame(0x2000)).answer.empty());
  Send(&model, SelectChannelFrame(2));
  EXPECT_TRUE(model.launched) << "only SelectController3 brings the bootloaders back";
  Send(&model, SelectController3Frame());
  EXPECT_FALSE(model.launched);
  EXPECT_EQ(Send(&model, QueryFrame()).answer, queryAnswer);
}

TEST_F(DeviceModelTest, StayLaunchedKeepsTheApplicationRunning) {
  InitDeviceModel(&model, Changed(SimOptions{}, [](SimOptions& o) { o.stayLaunched = true; }));
  Send(&model, LaunchFrame());
  Send(&model, SelectController3Frame());
  EXPECT_TRUE(model.launched);
  EXPECT_TRUE(Send(&model, QueryFrame()).answer.empty());
}

TEST_F(DeviceModelTest, LatenciesApplyToEraseAndWriteOnly) {
  InitDeviceModel(&model, Changed(SimOptions{}, [](SimOptions& o) {
                    o.eraseLatencyMs = 7;
                    o.writeLatencyMs = 3;
                  }));
  EXPECT_EQ(Send(&model, EraseFrame(0x2000)).latencyMs, 7);
  EXPECT_EQ(Send(&model, WriteFrame(0x2000, CountingPage(0))).latencyMs, 3);
  EXPECT_EQ(Send(&model, ReadFrame(0x2000)).latencyMs, 0);
}

// Fault injection: each fault against a run of identical frames, showing
// which of them are hit.
TEST_F(DeviceModelTest, CountedFaultsHitTheirFramesOnly) {
  enum class Effect { answered, none, damaged, stray };
  struct Case {
    const char* name;
    SimFaults faults;
    SimCommand kind;
    std::vector<Effect> expected;  // per frame sent, in order
  };
  const Case cases[] = {
      {"drop queries 1-2",
       Faults([](SimFaults& f) { f.dropAnswer = {{SimCommand::query, 1, 2}}; }),
       SimCommand::query,
       {Effect::none, Effect::none, Effect::answered, Effect::answered}},
      {"drop third erase",
       Faults([](SimFaults& f) { f.dropAnswer = {{SimCommand::erase, 3}}; }),
       SimCommand::erase,
       {Effect::answered, Effect::answered, Effect::none, Effect::answered}},
      {"drop aimed at another kind",
       Faults([](SimFaults& f) { f.dropAnswer = {{SimCommand::read, 1, 5}}; }),
       SimCommand::erase,
       {Effect::answered, Effect::answered}},
      {"corrupt second erase",
       Faults([](SimFaults& f) { f.corruptChecksum = {{SimCommand::erase, 2}}; }),
       SimCommand::erase,
       {Effect::answered, Effect::damaged, Effect::answered}},
      {"stray before first query",
       Faults([](SimFaults& f) { f.strayBytes = {{SimCommand::query, 1}}; }),
       SimCommand::query,
       {Effect::stray, Effect::answered}},
  };
  for (const Case& c : cases) {
    InitDeviceModel(&model, SimOptions{});
    const std::vector<uint8_t> frame =
        c.kind == SimCommand::query ? QueryFrame() : EraseFrame(0x2000);
    SetDeviceFaults(&model, c.faults);
    Send(&model, frame);
    SetDeviceFaults(&model, c.faults);  // counters restart: the frame above does not count
    DeviceModel healthy;
    InitDeviceModel(&healthy, SimOptions{});
    const std::vector<uint8_t> good = Send(&healthy, frame).answer;
    ASSERT_FALSE(good.empty());
    for (size_t i = 0; i < c.expected.size(); ++i) {
      const Heard heard = Send(&model, frame);
      EXPECT_EQ(heard.echo, frame) << c.name << " frame " << i + 1;
      switch (c.expected[i]) {
        case Effect::answered:
          EXPECT_EQ(heard.answer, good) << c.name << " frame " << i + 1;
          break;
        case Effect::none:
          EXPECT_TRUE(heard.answer.empty()) << c.name << " frame " << i + 1;
          break;
        case Effect::damaged:
          EXPECT_EQ(heard.answer.size(), good.size()) << c.name;
          EXPECT_NE(heard.answer, good) << c.name;
          EXPECT_TRUE(Payload(heard.answer).empty()) << c.name << ": checksum must fail";
          break;
        case Effect::stray: {
          ASSERT_GT(heard.answer.size(), good.size()) << c.name;
          EXPECT_NE(heard.answer[0], frameStart) << c.name;
          const size_t extra = heard.answer.size() - good.size();
          EXPECT_EQ(std::vector<uint8_t>(heard.answer.begin() + extra, heard.answer.end()), good);
          break;
        }
      }
    }
  }
}

TEST_F(DeviceModelTest, SilentDeviceGivesNothingAndObeysNothing) {
  SetDeviceFaults(&model, Faults([](SimFaults& f) { f.silent = true; }));
  for (const std::vector<uint8_t>& frame :
       {QueryFrame(), EraseFrame(0x2000), WriteFrame(0x2000, CountingPage(0))}) {
    const Heard heard = Send(&model, frame);
    EXPECT_TRUE(heard.echo.empty());
    EXPECT_TRUE(heard.answer.empty());
  }
  EXPECT_EQ(Page(3, 0x2000), std::vector<uint8_t>(64, 0xFF));
}

TEST_F(DeviceModelTest, EchoOnlyLineEchoesButNoBootloaderActs) {
  SetDeviceFaults(&model, Faults([](SimFaults& f) { f.echoOnly = true; }));
  const Heard heard = Send(&model, QueryFrame());
  EXPECT_EQ(heard.echo, QueryFrame());
  EXPECT_TRUE(heard.answer.empty());
  Send(&model, WriteFrame(0x2000, CountingPage(0)));
  EXPECT_EQ(Page(3, 0x2000), std::vector<uint8_t>(64, 0xFF));
}

TEST_F(DeviceModelTest, HangUpStopsEverythingAtTheChosenFrame) {
  SetDeviceFaults(&model, Faults([](SimFaults& f) { f.hangUp = {{SimCommand::write, 2}}; }));
  EXPECT_FALSE(Send(&model, WriteFrame(0x2000, CountingPage(0))).hangUp);
  const Heard second = Send(&model, WriteFrame(0x2040, CountingPage(0)));
  EXPECT_TRUE(second.hangUp);
  EXPECT_TRUE(second.answer.empty());
  EXPECT_EQ(Page(3, 0x2040), std::vector<uint8_t>(64, 0xFF)) << "the hung-up write is not done";
  const Heard after = Send(&model, QueryFrame());
  EXPECT_TRUE(after.echo.empty());
  EXPECT_TRUE(after.answer.empty());
}

TEST_F(DeviceModelTest, BadReadFlipsOneByteOfOnePageOfOneController) {
  SetDeviceFaults(&model,
                  Faults([](SimFaults& f) { f.badReadController = 1; f.badReadPage = 0x2040; }));
  auto readBack = [this](uint32_t address) {
    const std::vector<uint8_t> payload = Payload(Send(&model, ReadFrame(address)).answer);
    return std::vector<uint8_t>(payload.begin() + 5, payload.end());
  };
  Send(&model, SelectChannelFrame(2));
  const std::vector<uint8_t> bad = readBack(0x2040);
  ASSERT_EQ(bad.size(), 64u);
  int wrong = 0;
  for (int i = 0; i < 64; ++i) wrong += bad[i] != model.memory[0][0x2040 + i];
  EXPECT_EQ(wrong, 1);
  EXPECT_EQ(readBack(0x2000), Page(1, 0x2000));
  EXPECT_EQ(readBack(0x2080), Page(1, 0x2080));
  Send(&model, SelectChannelFrame(1));
  EXPECT_EQ(readBack(0x2040), Page(2, 0x2040)) << "other controller";
  EXPECT_EQ(Page(1, 0x2040), std::vector<uint8_t>(64, 0xFF)) << "memory itself intact";
}

TEST_F(DeviceModelTest, IgnoreLaunchKeepsTheBootloadersAnswering) {
  SetDeviceFaults(&model, Faults([](SimFaults& f) { f.ignoreLaunch = true; }));
  Send(&model, LaunchFrame());
  EXPECT_FALSE(model.launched);
  EXPECT_EQ(Send(&model, QueryFrame()).answer, queryAnswer);
}

}  // namespace
