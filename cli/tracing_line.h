// A serial line that passes everything through to another one and prints
// the traffic as hex lines on a stream: ">" what the computer sent, "="
// the echo of it, "<" what came back after the echo. Consecutive pieces in
// one direction make one line, so a frame is one line however it was split.
#pragma once

#include <chrono>
#include <cstdio>
#include <vector>

#include "link/serial_line.h"

class TracingLine final : public SerialLine {
 public:
  TracingLine(SerialLine* inner, std::FILE* stream);
  ~TracingLine() override;

  void Write(int count, const uint8_t* data) override;
  int Read(int count, uint8_t* buffer) override;
  void ClearReceive() override;
  void AbortAndClearReceive() override;

  // Prints what has been gathered and not yet printed.
  void Flush();

 private:
  enum class Direction { none, sent, received };

  void Gather(Direction direction, int count, const uint8_t* data);
  void PrintBytes(char mark, const uint8_t* data, std::size_t count);

  SerialLine* inner;
  std::FILE* stream;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point pendingSince;
  Direction direction = Direction::none;
  std::vector<uint8_t> pending;
  std::vector<uint8_t> lastSent;  // to recognise its echo
};
