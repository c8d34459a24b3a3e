// The simulated USB adapter's packets, on a clock of the test's own.
#include "sim/usb_adapter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Ms = std::chrono::milliseconds;
using Arrival = std::pair<int, int>;  // at ms, bytes
using Packet = std::pair<int, int>;   // at ms, bytes

std::vector<Packet> Packets(int latencyMs, const std::vector<Arrival>& arrivals) {
  UsbAdapter adapter{Ms(latencyMs)};
  const UsbAdapter::Clock::time_point start{};
  const std::vector<uint8_t> bytes(200, 0x55);
  std::vector<Packet> packets;
  std::vector<uint8_t> packet;
  constexpr int lastMs = 100;
  for (int ms = 0; ms <= lastMs; ++ms) {
    for (const Arrival& a : arrivals) {
      if (a.first == ms) adapter.Put(bytes.data(), a.second, start + Ms(ms));
    }
    while (adapter.TakePacket(start + Ms(ms), &packet)) {
      packets.push_back({ms, static_cast<int>(packet.size())});
    }
  }
  EXPECT_TRUE(adapter.Empty());
  return packets;
}

TEST(UsbAdapter, BytesGoWhenAPacketIsFullOrTheTimerOfTheFirstRunsOut) {
  const struct {
    const char* why;
    int latencyMs;
    std::vector<Arrival> arrivals;
    std::vector<Packet> packets;
  } cases[] = {
      {"a short answer waits the whole timer", 16, {{0, 5}}, {{16, 5}}},
      {"bytes arriving later ride with the first", 16, {{0, 3}, {10, 3}}, {{16, 6}}},
      {"after the timer a new packet starts", 16, {{0, 3}, {20, 3}}, {{16, 3}, {36, 3}}},
      {"a full packet leaves at once", 16, {{0, 70}}, {{0, 62}, {16, 8}}},
      {"the rest times from its own first byte", 16, {{0, 60}, {5, 4}}, {{5, 62}, {21, 2}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Packets(c.latencyMs, c.arrivals), c.packets) << c.why;
}

}  // namespace
