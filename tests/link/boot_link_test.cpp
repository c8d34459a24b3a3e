#include "link/boot_link.h"

#include <gtest/gtest.h>

#include <functional>

#include "link/frame_codec.h"
#include "tests/support/scripted_line.h"

namespace {

const Bytes queryEcho = {0x0F, 0x0F, 0x00, 0x02, 0xFE, 0x04};
const Bytes queryAnswer = {0x0F, 0x0F, 0x00, 0x02, 0x05, 0x04, 0xFA, 0x04};
const Bytes eraseAck = {0x0F, 0x0F, 0x03, 0xFD, 0x04};
const Bytes writeAck = {0x0F, 0x0F, 0x02, 0xFE, 0x04};
const Bytes controlAck = {0x0F, 0x0F, 0x05, 0x05, 0xFB, 0x04};
const uint8_t page[64] = {};  // what the write commands send

Bytes Frame(int command, unsigned length, uint32_t address, const Bytes& data = {}) {
  Bytes frame(MaxFrameLength(static_cast<int>(length)));
  frame.resize(EncodeFrame(command, length, address, frame.data(), data.empty() ? nullptr : data.data()));
  return frame;
}

// Frames an arbitrary payload the way the bootloader answers.
Bytes Answer(const Bytes& payload) {
  Bytes frame = {0x0F, 0x0F};
  uint8_t sum = 0;
  auto put = [&](uint8_t value) {
    if (value == 0x04 || value == 0x05 || value == 0x0F) frame.push_back(0x05);
    frame.push_back(value);
  };
  for (uint8_t value : payload) {
    put(value);
    sum = static_cast<uint8_t>(sum + value);
  }
  put(static_cast<uint8_t>(-sum));
  frame.push_back(0x04);
  return frame;
}

Bytes PagePayload(int length) {
  Bytes payload = {0x01, 0x40, 0x40, 0x20, 0x00};
  for (int i = 0; static_cast<int>(payload.size()) < length; ++i) payload.push_back(static_cast<uint8_t>(0x10 + i));
  payload.resize(length);
  return payload;
}

// A link bound to a scripted line of its own.
struct Scripted {
  Scripted() { line.Attach(link); }
  ScriptedLine line;
  BootLink link{nullptr};
};

class BootLinkTest : public ::testing::Test, protected Scripted {};

TEST_F(BootLinkTest, QueryIsEncodedOnceAtConstruction) {
  EXPECT_EQ(link.queryLength, 6);
  EXPECT_EQ(Bytes(link.query, link.query + 6), queryEcho);
  // Marked after construction: a query encoded anew for each attempt would
  // send the pristine frame instead of the marked one.
  link.query[1] ^= 0x01;
  const Bytes marked(link.query, link.query + link.queryLength);
  EXPECT_EQ(link.Sync(), syncSilent);
  ASSERT_EQ(line.writes.size(), static_cast<size_t>(syncAttempts));
  for (const Bytes& sent : line.writes) EXPECT_EQ(sent, marked);
}

TEST_F(BootLinkTest, SyncAnsweredAtFirstAttempt) {
  line.reads = {Concat({queryEcho, queryAnswer})};
  EXPECT_EQ(link.Sync(), 0);
  EXPECT_EQ(line.events, (std::vector<std::string>{"clear", "write", "pause 40", "read"}));
  EXPECT_EQ(line.writes[0], queryEcho);
}

TEST_F(BootLinkTest, SyncAnsweredAtEleventhAttempt) {
  for (int i = 0; i < 10; ++i) line.reads.push_back(queryEcho);
  line.reads.push_back(Concat({queryEcho, queryAnswer}));
  EXPECT_EQ(link.Sync(), 0);
  EXPECT_EQ(line.Count("write"), 11);
}

TEST_F(BootLinkTest, SyncVerdictsFollowTheLastAttempt) {
  struct Case {
    const char* what;
    Bytes last;
    int verdict;
  };
  const Case cases[] = {
      {"echo only", queryEcho, syncEchoOnly},
      {"nothing", {}, syncSilent},
      {"six bytes that are not the echo", {0x0F, 0x0F, 0x00, 0x03, 0xFD, 0x04}, syncGarbage},
      {"wrong presence payload", Concat({queryEcho, {0x0F, 0x0F, 0x00, 0x02, 0x05, 0x05, 0xF9, 0x04}}),
       syncGarbage},
  };
  for (const Case& c : cases) {
    Scripted fresh;
    for (int i = 0; i < 10; ++i) fresh.line.reads.push_back(queryEcho);
    fresh.line.reads.push_back(c.last.empty() ? Bytes{} : c.last);
    EXPECT_EQ(fresh.link.Sync(), c.verdict) << c.what;
    EXPECT_EQ(fresh.line.Count("write"), 11) << c.what;
    EXPECT_EQ(fresh.line.Count("clear"), 11) << c.what;
    EXPECT_EQ(fresh.line.Count("pause 40"), 11) << c.what;
  }
}

TEST_F(BootLinkTest, SyncLooksOnlyAtTheLastEightBytes) {
  // Garbage ahead of a complete answer does not matter.
  line.reads = {Concat({{0x99, 0x98}, queryEcho, queryAnswer})};
  EXPECT_EQ(link.Sync(), 0);
}

TEST_F(BootLinkTest, EraseAcknowledgedBehindItsEcho) {
  const Bytes frame = Frame(3, 64, 0x2040);
  line.reads = {frame, eraseAck};
  EXPECT_EQ(link.ErasePage(0x2040), 0);
  EXPECT_EQ(line.writes, (std::vector<Bytes>{{0x0F, 0x0F, 0x03, 0x01, 0x40, 0x20, 0x00, 0x9C, 0x04}}));
  EXPECT_EQ(line.Count("clear"), 0) << "acknowledged commands do not purge";
}

TEST_F(BootLinkTest, EraseWithWrongCodeGivesUpAfterItsBudget) {
  line.reads = {Concat({Frame(3, 64, 0x2040), writeAck})};
  EXPECT_EQ(link.ErasePage(0x2040), -1);
  EXPECT_EQ(line.readCalls, erasePollLimit + 2);
}

TEST_F(BootLinkTest, EveryAcknowledgedCommandGivesUpAfterExactlyItsBudget) {
  struct Case {
    const char* what;
    std::function<int(BootLink&)> run;
    int pollLimit;
  };
  uint8_t destination[linkBufferSize];
  const Case cases[] = {
      {"control byte", [](BootLink& l) { return l.WriteControlByte(0xFF); }, controlBytePollLimit},
      {"erase", [](BootLink& l) { return l.ErasePage(0x2000); }, erasePollLimit},
      {"write", [](BootLink& l) { return l.WritePage(0x2000, page); }, writePollLimit},
      {"read", [&](BootLink& l) { return l.ReadPage(0x2000, destination); }, readPollLimit},
  };
  for (const Case& c : cases) {
    Scripted silent;
    EXPECT_EQ(c.run(silent.link), -1) << c.what;
    EXPECT_EQ(silent.line.readCalls, c.pollLimit + 2) << c.what;
    EXPECT_EQ(silent.line.PauseCount(), c.pollLimit + 1) << c.what;
    EXPECT_EQ(silent.line.Count("pause 1"), c.pollLimit + 1) << c.what;
  }
}

// A read answer that arrives a byte at a time, as a paced line delivers it,
// takes more reads than the budget allows: the pauses that the bytes cut
// short do not count against it.
TEST_F(BootLinkTest, AnswerArrivingByteByByteOutlastsThePollBudget) {
  uint8_t destination[linkBufferSize] = {};
  const Bytes all = Concat({Frame(1, 64, 0x2040), Answer(PagePayload(69))});
  ASSERT_GT(static_cast<int>(all.size()), readPollLimit + 2);
  for (uint8_t byte : all) line.reads.push_back({byte});
  EXPECT_EQ(link.ReadPage(0x2040, destination), 0);
  EXPECT_EQ(line.readCalls, static_cast<int>(all.size()));
}

// What came back within the budget, as the failure report names it.
TEST_F(BootLinkTest, AFailedExchangeSaysWhatCameBack) {
  const Bytes echo = Frame(3, 64, 0x2040);
  const struct {
    const char* what;
    Bytes received;
    Reply reply;
  } cases[] = {
      {"nothing", {}, Reply::nothing},
      {"the echo", echo, Reply::echoOnly},
      {"half the echo", Bytes(echo.begin(), echo.begin() + 4), Reply::echoOnly},
      {"not the echo", Bytes(9, 0x55), Reply::garbage},
      {"junk after the echo", Concat({echo, {0x55, 0x0F, 0x0F}}), Reply::garbage},
      {"an answer cut short", Concat({echo, {0x0F, 0x0F, 0x03}}), Reply::incomplete},
      {"a bad checksum", Concat({echo, {0x0F, 0x0F, 0x03, 0xFE, 0x04}}), Reply::badChecksum},
      {"a long answer", Concat({echo, Answer({0x03, 0x00})}), Reply::wrongLength},
      {"a write's answer", Concat({echo, writeAck}), Reply::otherCommand},
  };
  for (const auto& c : cases) {
    Scripted scripted;
    scripted.line.reads = {c.received};
    EXPECT_EQ(scripted.link.ErasePage(0x2040), -1) << c.what;
    EXPECT_EQ(scripted.link.last.operation, LinkOperation::erase) << c.what;
    EXPECT_EQ(scripted.link.last.address, 0x2040u) << c.what;
    EXPECT_EQ(scripted.link.last.reply, c.reply) << c.what;
  }
  line.reads = {Concat({echo, eraseAck})};
  EXPECT_EQ(link.ErasePage(0x2040), 0);
  EXPECT_EQ(link.last.reply, Reply::answered);
}

TEST_F(BootLinkTest, ControlByteThresholdCountsTheEscapedCode) {
  const Bytes all = Concat({Frame(5, 1, 255, {0xFF}), controlAck});
  ASSERT_EQ(all.size(), 17u);
  for (uint8_t byte : all) line.reads.push_back({byte});
  EXPECT_EQ(link.WriteControlByte(0xFF), 0);
  EXPECT_EQ(line.writes[0].size(), 11u);
  EXPECT_EQ(line.readCalls, 17) << "decoded once 17 bytes have arrived";
}

TEST_F(BootLinkTest, AnswerArrivingInPiecesIsDecodedAgainUntilComplete) {
  line.reads = {Frame(2, 64, 0x2000, Bytes(64, 0)), {0x0F, 0x0F}, {}, {0x02, 0xFE}, {0x04}};
  EXPECT_EQ(link.WritePage(0x2000, page), 0);
  EXPECT_EQ(line.readCalls, 5);
}

TEST_F(BootLinkTest, StrayByteAheadOfTheEchoShiftsTheAnswer) {
  Scripted inPlace;
  inPlace.line.reads = {Concat({Frame(3, 64, 0x2040), eraseAck})};
  EXPECT_EQ(inPlace.link.ErasePage(0x2040), 0) << "the same bytes without the stray one answer";
  line.reads = {Concat({{0x00}, Frame(3, 64, 0x2040), eraseAck})};
  EXPECT_EQ(link.ErasePage(0x2040), -1);
  EXPECT_EQ(link.last.reply, Reply::garbage) << "shifted by one, the echo is not where it must be";
}

TEST_F(BootLinkTest, ReadPageNeedsSixtyNinePayloadBytes) {
  uint8_t destination[linkBufferSize] = {};
  line.reads = {Concat({Frame(1, 64, 0x2040), Answer(PagePayload(69))})};
  EXPECT_EQ(link.ReadPage(0x2040, destination), 0);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(destination[5 + i], static_cast<uint8_t>(0x10 + i));

  Scripted shortAnswer;
  shortAnswer.line.reads = {Concat({Frame(1, 64, 0x2040), Answer(PagePayload(68))})};
  EXPECT_EQ(shortAnswer.link.ReadPage(0x2040, destination), -1);
}

TEST_F(BootLinkTest, ReceivesAtMost256Bytes) {
  for (int i = 0; i < 4; ++i) line.reads.push_back(Bytes(200, 0x55));
  EXPECT_EQ(link.WritePage(0x2000, page), -1);
  ASSERT_GE(line.readCounts.size(), 4u);
  EXPECT_EQ(line.readCounts[0], 256);
  EXPECT_EQ(line.readCounts[1], 56);
  EXPECT_EQ(line.readCounts[2], 0);
}

TEST_F(BootLinkTest, SelectController3SendsByteByByteAfterAbortingReception) {
  link.SelectController3();
  ASSERT_EQ(line.events.front(), "abort");
  EXPECT_EQ(line.Count("write"), 11);
  EXPECT_EQ(line.Count("pause 1"), 11);
  for (size_t i = 1; i + 1 < line.events.size(); i += 2) {
    EXPECT_EQ(line.events[i], "write");
    EXPECT_EQ(line.events[i + 1], "pause 1");
  }
  EXPECT_EQ(line.Sent(), (Bytes{0x0F, 0x0F, 0x08, 0x02, 0xFE, 0x00, 0x00, 0xFF, 0xFF, 0xFA, 0x04}));
  EXPECT_EQ(line.readCalls, 0);
}

TEST_F(BootLinkTest, UnacknowledgedCommandsSendTheirFrames) {
  link.SelectChannel(channelController1);
  link.SelectChannel(channelController2);
  link.Launch();
  EXPECT_EQ(line.writes, (std::vector<Bytes>{
                             {0x0F, 0x0F, 0x08, 0x03, 0xFD, 0x00, 0x00, 0x05, 0x04, 0x00, 0xFF, 0xF5, 0x04},
                             {0x0F, 0x0F, 0x08, 0x03, 0xFD, 0x00, 0x00, 0x02, 0x00, 0xFF, 0xF7, 0x04},
                             {0x0F, 0x0F, 0x08, 0x01, 0xFF, 0x00, 0x00, 0x00, 0xF8, 0x04},
                         }));
  EXPECT_EQ(line.readCalls, 0);
}

TEST_F(BootLinkTest, NullCommandReadsOnceAndReturnsTheCount) {
  line.reads = {Bytes(9, 0x77)};
  EXPECT_EQ(link.SendNullCommand(), 9);
  EXPECT_EQ(line.events, (std::vector<std::string>{"write", "pause 1", "read"}));
  EXPECT_EQ(line.readCounts[0], 256);
  EXPECT_EQ(line.writes[0], (Bytes{0x0F, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x04}));
}

}  // namespace
