// A serial line that counts the bytes written through it and passes
// everything on to the line it wraps.
#pragma once

#include <atomic>

#include "link/serial_line.h"

class CountingLine : public SerialLine {
 public:
  explicit CountingLine(SerialLine* wrapped) : line(wrapped) {}

  long long Written() const { return written; }

  void Write(int count, const uint8_t* data) override {
    line->Write(count, data);
    written += count;
  }
  int Read(int count, uint8_t* buffer) override { return line->Read(count, buffer); }
  bool WaitForData(int milliseconds) override { return line->WaitForData(milliseconds); }
  void ClearReceive() override { line->ClearReceive(); }
  void AbortAndClearReceive() override { line->AbortAndClearReceive(); }

 private:
  SerialLine* line;
  std::atomic<long long> written{0};
};
