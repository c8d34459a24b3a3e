#include "sim/usb_adapter.h"

#include <algorithm>

void UsbAdapter::Put(const uint8_t* bytes, int count, Clock::time_point now) {
  for (int i = 0; i < count; ++i) waiting.push_back({bytes[i], now});
}

bool UsbAdapter::NextDeadline(Clock::time_point* deadline) const {
  if (waiting.empty()) return false;
  // A full packet goes at once; the rest when the first byte's timer runs out.
  *deadline = waiting.size() >= usbAdapterPacketBytes ? waiting.front().at
                                                      : waiting.front().at + latency;
  return true;
}

bool UsbAdapter::TakePacket(Clock::time_point now, std::vector<uint8_t>* packet) {
  Clock::time_point due;
  if (!NextDeadline(&due) || due > now) return false;
  const size_t count = std::min(waiting.size(), usbAdapterPacketBytes);
  packet->clear();
  for (size_t i = 0; i < count; ++i) packet->push_back(waiting[i].byte);
  waiting.erase(waiting.begin(), waiting.begin() + static_cast<long>(count));
  return true;
}
