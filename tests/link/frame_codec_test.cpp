#include "link/frame_codec.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(int command, unsigned length, uint32_t address, const Bytes& data) {
  Bytes frame(MaxFrameLength(static_cast<int>(length)) + 16);
  const int size = EncodeFrame(command, length, address, frame.data(), data.empty() ? nullptr : data.data());
  frame.resize(size);
  return frame;
}

struct EncodeCase {
  const char* what;
  int command;
  unsigned length;
  uint32_t address;
  Bytes data;
  Bytes frame;
};

Bytes WriteFrameWithEscapedFirstByte() {
  Bytes frame = {0x0F, 0x0F, 0x02, 0x08, 0x40, 0x20, 0x00, 0x05, 0x05};
  frame.insert(frame.end(), 63, 0x00);
  frame.push_back(0x91);
  frame.push_back(0x04);
  return frame;
}

Bytes FirstByteFiveThenZeros() {
  Bytes data(64, 0x00);
  data[0] = 0x05;
  return data;
}

TEST(FrameCodec, EncodesEveryCommandShape) {
  const EncodeCase cases[] = {
      {"presence query", 0, 1, 0, {0x02}, {0x0F, 0x0F, 0x00, 0x02, 0xFE, 0x04}},
      {"null command", 0, 2, 0, {0x00, 0x00}, {0x0F, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x04}},
      {"control byte FF escapes the command byte", 5, 1, 255, {0xFF},
       {0x0F, 0x0F, 0x05, 0x05, 0x01, 0xFF, 0x00, 0x00, 0xFF, 0xFC, 0x04}},
      {"control byte 00", 5, 1, 255, {0x00},
       {0x0F, 0x0F, 0x05, 0x05, 0x01, 0xFF, 0x00, 0x00, 0x00, 0xFB, 0x04}},
      {"line control escapes a data byte 04", 8, 3, 253, {0x04, 0x00, 0xFF},
       {0x0F, 0x0F, 0x08, 0x03, 0xFD, 0x00, 0x00, 0x05, 0x04, 0x00, 0xFF, 0xF5, 0x04}},
      {"select controller 3", 8, 2, 254, {0xFF, 0xFF},
       {0x0F, 0x0F, 0x08, 0x02, 0xFE, 0x00, 0x00, 0xFF, 0xFF, 0xFA, 0x04}},
      {"launch", 8, 1, 255, {0x00}, {0x0F, 0x0F, 0x08, 0x01, 0xFF, 0x00, 0x00, 0x00, 0xF8, 0x04}},
      {"read at 0x2040", 1, 64, 0x2040, {}, {0x0F, 0x0F, 0x01, 0x40, 0x40, 0x20, 0x00, 0x5F, 0x04}},
      {"erase at 0x2040", 3, 64, 0x2040, {}, {0x0F, 0x0F, 0x03, 0x01, 0x40, 0x20, 0x00, 0x9C, 0x04}},
      {"erase clears the low 6 address bits", 3, 64, 0x2078, {},
       {0x0F, 0x0F, 0x03, 0x01, 0x40, 0x20, 0x00, 0x9C, 0x04}},
      {"read keeps the address", 1, 64, 0x2078, {},
       {0x0F, 0x0F, 0x01, 0x40, 0x78, 0x20, 0x00, 0x27, 0x04}},
      {"address bits above 23 are not sent", 1, 64, 0xAB012040, {},
       {0x0F, 0x0F, 0x01, 0x40, 0x40, 0x20, 0x01, 0x5E, 0x04}},
      {"write of 64 bytes, first escaped", 2, 64, 0x2040, FirstByteFiveThenZeros(),
       WriteFrameWithEscapedFirstByte()},
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(Encode(c.command, c.length, c.address, c.data), c.frame) << c.what;
  }
}

TEST(FrameCodec, WriteAddressIsRoundedToEightBytes) {
  const Bytes data(64, 0x11);
  for (const uint32_t address : {0x2078u, 0x207Cu, 0x207Fu}) {
    const Bytes frame = Encode(2, 64, address, data);
    EXPECT_EQ(Bytes(frame.begin() + 4, frame.begin() + 7), (Bytes{0x78, 0x20, 0x00})) << address;
  }
}

TEST(FrameCodec, LengthByteIsTakenModulo256) {
  EXPECT_EQ(Encode(4, 0x141, 0, {})[4], 0x41);  // behind the escaped command byte 04
  EXPECT_EQ(Encode(3, 0x1C0, 0, {})[3], 0x03);  // (0x1C0 mod 256) / 64
}

struct DecodeCase {
  const char* what;
  Bytes input;
  int available;  // -1: the whole input
  int result;
  Bytes body;     // expected start of the destination
};

TEST(FrameCodec, DecodesAndRejects) {
  const DecodeCase cases[] = {
      {"presence answer", {0x0F, 0x0F, 0x00, 0x02, 0x05, 0x04, 0xFA, 0x04}, -1, 3,
       {0x00, 0x02, 0x04, 0xFA}},
      {"erase acknowledgement", {0x0F, 0x0F, 0x03, 0xFD, 0x04}, -1, 1, {0x03, 0xFD}},
      {"escaped control byte acknowledgement", {0x0F, 0x0F, 0x05, 0x05, 0xFB, 0x04}, -1, 1, {0x05, 0xFB}},
      {"empty body", {0x0F, 0x0F, 0x04}, -1, -1, {}},
      {"one zero byte is checksum alone", {0x0F, 0x0F, 0x00, 0x04}, -1, 0, {}},
      {"bad checksum", {0x0F, 0x0F, 0x03, 0xFE, 0x04}, -1, 0, {}},
      {"unescaped start inside the body", {0x0F, 0x0F, 0x03, 0x0F, 0xFD, 0x04}, -1, 0, {}},
      {"no start markers", {0x0F, 0x0E, 0x03, 0xFD, 0x04}, -1, 0, {}},
      {"end marker at the bound", {0x0F, 0x0F, 0x03, 0xFD, 0x04}, 4, 0, {}},
      {"lone escape as the last byte", {0x0F, 0x0F, 0x03, 0x05}, -1, 0, {}},
      {"escape before an ordinary value", {0x0F, 0x0F, 0x05, 0x03, 0xFD, 0x04}, -1, 1, {0x03, 0xFD}},
      {"bytes after the end are not examined", {0x0F, 0x0F, 0x03, 0xFD, 0x04, 0x0F, 0x99}, -1, 1,
       {0x03, 0xFD}},
      {"fewer than two bytes", {0x0F}, -1, 0, {}},
  };
  for (const DecodeCase& c : cases) {
    const int available = c.available < 0 ? static_cast<int>(c.input.size()) : c.available;
    Bytes body(256, 0xEE);
    EXPECT_EQ(DecodeFrame(available, c.input.data(), body.data()), c.result) << c.what;
    EXPECT_EQ(Bytes(body.begin(), body.begin() + c.body.size()), c.body) << c.what;
  }
}

// The decoder gets exactly `available` bytes in a block of its own and a
// destination of exactly available - 2 bytes, so a sanitizer build catches
// any read or write beyond them.
int DecodeInTightBuffers(const Bytes& input, Bytes* body = nullptr) {
  const int available = static_cast<int>(input.size());
  std::unique_ptr<uint8_t[]> source(new uint8_t[available > 0 ? available : 1]);
  std::copy(input.begin(), input.end(), source.get());
  const int room = available > 2 ? available - 2 : 0;
  std::unique_ptr<uint8_t[]> destination(new uint8_t[room > 0 ? room : 1]);
  const int result = DecodeFrame(available, source.get(), destination.get());
  if (body != nullptr) body->assign(destination.get(), destination.get() + room);
  return result;
}

TEST(FrameCodec, RoundTripsRandomCommands) {
  std::mt19937 random(2026);
  for (int round = 0; round < 5000; ++round) {
    const int command = static_cast<int>(random() % 256);
    const unsigned length = random() % 65;
    const uint32_t address = random() & 0xFFFFFF;
    Bytes data(length);
    for (uint8_t& byte : data) byte = static_cast<uint8_t>(random() % 8 < 3 ? 0x04 + random() % 12 : random());
    const Bytes frame = Encode(command, length, address, data);
    ASSERT_LE(static_cast<int>(frame.size()), MaxFrameLength(static_cast<int>(length)));

    Bytes body;
    const int payload = DecodeInTightBuffers(frame, &body);
    ASSERT_GT(payload, 0) << "command " << command << " length " << length;
    EXPECT_EQ(body[0], command);
    const bool carriesData = command == 0 || command == 2 || command > 4;
    const int header = command == 0 ? 1 : 5;
    EXPECT_EQ(payload, header + (carriesData ? static_cast<int>(length) : 0));
    if (carriesData) {
      EXPECT_TRUE(std::equal(data.begin(), data.end(), body.begin() + header));
    }
    // Every proper prefix of the frame is incomplete.
    const Bytes prefix(frame.begin(), frame.begin() + random() % frame.size());
    EXPECT_EQ(DecodeInTightBuffers(prefix), 0);
  }
}

TEST(FrameCodec, DecoderStaysInsideItsBuffersOnGarbage) {
  std::mt19937 random(7);
  const uint8_t alphabet[] = {0x0F, 0x04, 0x05, 0x00, 0xFF, 0x03};
  for (int round = 0; round < 20000; ++round) {
    Bytes input(random() % 40);
    for (uint8_t& byte : input) byte = alphabet[random() % sizeof alphabet];
    if (input.size() >= 2 && random() % 2) input[0] = input[1] = 0x0F;
    const int result = DecodeInTightBuffers(input);
    EXPECT_GE(result, -1);
    EXPECT_LE(result, static_cast<int>(input.size()) - 4 < 0 ? 0 : static_cast<int>(input.size()));
  }
}

}  // namespace
