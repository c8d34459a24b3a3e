#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/tracing_line.h"
#include "tests/support/scripted_line.h"

namespace {

// The trace lines without their time stamps: "> 0F 0F ...".
std::vector<std::string> TraceOf(std::FILE* stream) {
  std::rewind(stream);
  std::vector<std::string> lines;
  char buffer[4096];
  const std::regex stamped(R"( *\d+\.\d{3} ([<>=].*)\n)");
  while (std::fgets(buffer, sizeof buffer, stream) != nullptr) {
    std::cmatch match;
    EXPECT_TRUE(std::regex_match(buffer, match, stamped)) << buffer;
    lines.push_back(match[1]);
  }
  return lines;
}

class Tracing : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(stream, nullptr); }
  void TearDown() override { std::fclose(stream); }

  std::FILE* stream = std::tmpfile();
  ScriptedLine inner;
};

TEST_F(Tracing, SeparatesTheEchoFromTheAnswer) {
  TracingLine line(&inner, stream);
  const Bytes frame = {0x0F, 0x0F, 0x00, 0x02, 0xFE, 0x04};
  inner.reads = {{0x0F, 0x0F, 0x00}, {}, {0x02, 0xFE, 0x04, 0x0F, 0x0F, 0x00, 0x02, 0x05, 0x04}};
  line.Write(static_cast<int>(frame.size()), frame.data());
  uint8_t buffer[64];
  int got = 0;
  for (int i = 0; i < 3; ++i) got += line.Read(sizeof buffer - got, buffer + got);
  EXPECT_EQ(got, 12) << "the bytes still reach the caller";
  line.ClearReceive();
  EXPECT_EQ(inner.writes.size(), 1u);
  EXPECT_EQ(inner.Count("clear"), 1);

  const std::vector<std::string> expected = {
      "> 0F 0F 00 02 FE 04", "= 0F 0F 00 02 FE 04", "< 0F 0F 00 02 05 04"};
  EXPECT_EQ(TraceOf(stream), expected);
  EXPECT_EQ(line.Counts().sent, 6);
  EXPECT_EQ(line.Counts().echoed, 6);
  EXPECT_EQ(line.Counts().answered, 6);
}

TEST_F(Tracing, JoinsAFrameSentByteByByteAndShowsForeignBytesAsAnswer) {
  {
    TracingLine line(&inner, stream);
    inner.reads = {{0xAA, 0x0F}};
    line.AbortAndClearReceive();
    for (uint8_t byte : {0x0F, 0x0F, 0x08}) line.Write(1, &byte);
    uint8_t buffer[8];
    EXPECT_EQ(line.Read(sizeof buffer, buffer), 2);
  }  // what is still gathered is printed when the line goes
  const std::vector<std::string> expected = {"> 0F 0F 08", "< AA 0F"};
  EXPECT_EQ(TraceOf(stream), expected);
  EXPECT_EQ(inner.Count("abort"), 1);
}

TEST_F(Tracing, APartialEchoIsShownAsEcho) {
  TracingLine line(&inner, stream);
  const Bytes frame = {0x0F, 0x0F, 0x03, 0x01, 0x00, 0x70, 0x00, 0x8C, 0x04};
  inner.reads = {{0x0F, 0x0F, 0x03}};
  line.Write(static_cast<int>(frame.size()), frame.data());
  uint8_t buffer[16];
  line.Read(sizeof buffer, buffer);
  line.Write(1, frame.data());
  line.Flush();
  const std::vector<std::string> expected = {
      "> 0F 0F 03 01 00 70 00 8C 04", "= 0F 0F 03", "> 0F"};
  EXPECT_EQ(TraceOf(stream), expected);
}

TEST_F(Tracing, WithoutAStreamItOnlyCounts) {
  TracingLine line(&inner, nullptr);
  const Bytes frame = {0x0F, 0x0F, 0x00, 0x02, 0xFE, 0x04};
  inner.reads = {frame, {0x55}};
  line.Write(static_cast<int>(frame.size()), frame.data());
  uint8_t buffer[16];
  line.Read(sizeof buffer, buffer);
  line.ClearReceive();
  line.Write(static_cast<int>(frame.size()), frame.data());
  line.Read(sizeof buffer, buffer);  // not the echo: a stray byte
  line.Flush();
  EXPECT_EQ(line.Counts().sent, 12);
  EXPECT_EQ(line.Counts().echoed, 6);
  EXPECT_EQ(line.Counts().answered, 1);
  // Only the second frame's traffic: its lone stray byte, no echo.
  EXPECT_EQ(line.LastCounts().sent, 6);
  EXPECT_EQ(line.LastCounts().echoed, 0);
  EXPECT_EQ(line.LastCounts().answered, 1);
  EXPECT_TRUE(TraceOf(stream).empty());
}

TEST_F(Tracing, SilenceLeavesNoLine) {
  TracingLine line(&inner, stream);
  uint8_t buffer[8];
  EXPECT_EQ(line.Read(sizeof buffer, buffer), 0);
  line.ClearReceive();
  line.Flush();
  EXPECT_TRUE(TraceOf(stream).empty());
}

}  // namespace
