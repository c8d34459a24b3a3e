// What the bootloader link needs from a serial line. ComPort is the real one;
// tests put a scripted line in its place, the command-line tool a tracing one.
#pragma once

#include <cstdint>

class SerialLine {
 public:
  virtual ~SerialLine() = default;

  // Sends all `count` bytes; returns once they have left the computer, or
  // once the line is gone.
  virtual void Write(int count, const uint8_t* data) = 0;

  // Returns at once with up to `count` waiting bytes, else waits at most
  // about 1 ms for the first one. Returns 0 when nothing came.
  virtual int Read(int count, uint8_t* buffer) = 0;

  // Returns as soon as a byte is waiting, or after `milliseconds` without
  // one; true when one is. The pause between two polls, cut short by data.
  virtual bool WaitForData(int milliseconds) = 0;

  // Drops whatever has been received and not yet read.
  virtual void ClearReceive() = 0;

  // Same, and also abandons a read the driver may have pending.
  virtual void AbortAndClearReceive() = 0;
};
