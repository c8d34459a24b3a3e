// A serial line whose reads are scripted byte for byte, and which records
// everything the link does to it: writes, reads, purges and pauses.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "link/boot_link.h"
#include "link/serial_line.h"

using Bytes = std::vector<uint8_t>;

class ScriptedLine : public SerialLine {
 public:
  // Each Read takes the next chunk (an empty chunk: nothing arrived); once
  // the script runs out, reads return nothing.
  std::deque<Bytes> reads;
  std::vector<Bytes> writes;
  // "write", "read", "clear", "abort" and "pause N", in order.
  std::vector<std::string> events;
  int readCalls = 0;
  std::vector<int> readCounts;  // the count each Read asked for

  // Binds `link` to this line, pauses included (they are recorded, not slept).
  void Attach(BootLink& link);

  void Write(int count, const uint8_t* data) override;
  int Read(int count, uint8_t* buffer) override;
  // Recorded as the pause it stands for; returns at once.
  bool WaitForData(int milliseconds) override;
  void ClearReceive() override;
  void AbortAndClearReceive() override;

  int Count(const std::string& event) const;
  int PauseCount() const;
  // All bytes written, in order.
  Bytes Sent() const;
};

Bytes Concat(std::initializer_list<Bytes> parts);
