// A serial line that passes everything through to another one, counts the
// traffic and, given a stream, prints it as hex lines: ">" what the computer
// sent, "=" the echo of it, "<" what came back after the echo. Consecutive
// pieces in one direction make one line, so a frame is one line however it
// was split.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "link/serial_line.h"

// Bytes by kind, to tell a dead line from a line without a bootloader.
struct LineCounts {
  long sent = 0;
  long echoed = 0;
  long answered = 0;  // received, and not the echo
};

// Takes one whole trace line, without its line feed.
using TraceLineSink = std::function<void(const std::string& line)>;

class TracingLine final : public SerialLine {
 public:
  // `stream` may be null: then the line only counts.
  TracingLine(SerialLine* inner, std::FILE* stream);
  // An empty sink: the line only counts.
  TracingLine(SerialLine* inner, TraceLineSink sink);
  ~TracingLine() override;

  void Write(int count, const uint8_t* data) override;
  int Read(int count, uint8_t* buffer) override;
  bool WaitForData(int milliseconds) override;
  void ClearReceive() override;
  void AbortAndClearReceive() override;

  // Prints and counts what has been gathered and not yet printed.
  void Flush();
  const LineCounts& Counts() const { return counts; }
  // What came back after the last frame sent: the line's state at the end.
  const LineCounts& LastCounts() const { return last; }

 private:
  enum class Direction { none, sent, received };

  void Gather(Direction direction, int count, const uint8_t* data);
  void PrintBytes(char mark, const uint8_t* data, std::size_t count);

  SerialLine* inner;
  TraceLineSink sink;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point pendingSince;
  Direction direction = Direction::none;
  std::vector<uint8_t> pending;
  std::vector<uint8_t> lastSent;  // to recognise its echo
  LineCounts counts;
  LineCounts last;
};
