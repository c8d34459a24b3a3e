// A USB-serial adapter's receive side between the device and the computer:
// bytes from the line wait in the chip and go over USB in packets, at once
// when a packet is full, otherwise when the latency timer runs out after
// the first of them arrived, as an FTDI chip does.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

// Data bytes in one 64-byte USB packet of an FTDI chip; two carry its status.
constexpr size_t usbAdapterPacketBytes = 62;
// The chip's timer takes 1..255 ms.
constexpr int maxAdapterLatencyMs = 255;

class UsbAdapter {
 public:
  using Clock = std::chrono::steady_clock;

  explicit UsbAdapter(Clock::duration latency) : latency(latency) {}

  // Bytes from the line, arrived at `now`.
  void Put(const uint8_t* bytes, int count, Clock::time_point now);
  // The next packet due by `now`, taken out of the chip; false when none is.
  bool TakePacket(Clock::time_point now, std::vector<uint8_t>* packet);
  // When the next packet is due; false when nothing waits.
  bool NextDeadline(Clock::time_point* deadline) const;
  bool Empty() const { return waiting.empty(); }

 private:
  struct Arrived {
    uint8_t byte;
    Clock::time_point at;
  };
  Clock::duration latency;
  std::deque<Arrived> waiting;
};
