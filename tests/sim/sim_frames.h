// Frames as the loader sends them, built with the project's own encoder, for
// driving the simulator in tests.
#pragma once

#include <cstdint>
#include <vector>

#include "link/frame_codec.h"

inline std::vector<uint8_t> HostFrame(int command, unsigned length, uint32_t address,
                                      const std::vector<uint8_t>& data = {}) {
  std::vector<uint8_t> frame(MaxFrameLength(static_cast<int>(length)) + 8);
  const int n = EncodeFrame(command, length, address, frame.data(), data.data());
  frame.resize(n);
  return frame;
}

inline std::vector<uint8_t> QueryFrame() { return HostFrame(0, 1, 0, {0x02}); }
inline std::vector<uint8_t> NullFrame() { return HostFrame(0, 2, 0, {0x00, 0x00}); }
inline std::vector<uint8_t> SelectController3Frame() { return HostFrame(8, 2, 254, {0xFF, 0xFF}); }
inline std::vector<uint8_t> SelectChannelFrame(int channel) {
  return HostFrame(8, 3, 253, {static_cast<uint8_t>(2 * channel), 0x00, 0xFF});
}
inline std::vector<uint8_t> LaunchFrame() { return HostFrame(8, 1, 255, {0x00}); }
inline std::vector<uint8_t> ControlFrame(uint8_t value) { return HostFrame(5, 1, 255, {value}); }
inline std::vector<uint8_t> EraseFrame(uint32_t address) { return HostFrame(3, 64, address); }
inline std::vector<uint8_t> ReadFrame(uint32_t address) { return HostFrame(1, 64, address); }
inline std::vector<uint8_t> WriteFrame(uint32_t address, const std::vector<uint8_t>& page) {
  return HostFrame(2, 64, address, page);
}

// A 64-byte page whose bytes count up from `first`, markers and escapes included.
inline std::vector<uint8_t> CountingPage(uint8_t first) {
  std::vector<uint8_t> page(64);
  for (int i = 0; i < 64; ++i) page[i] = static_cast<uint8_t>(first + i);
  return page;
}
