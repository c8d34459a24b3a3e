#include "cli/tracing_line.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr double millisecondsPerSecond = 1000.0;
constexpr int stampSize = 32;

TraceLineSink LinesTo(std::FILE* stream) {
  if (stream == nullptr) return {};
  return [stream](const std::string& line) {
    std::fprintf(stream, "%s\n", line.c_str());
    std::fflush(stream);
  };
}

}  // namespace

TracingLine::TracingLine(SerialLine* innerLine, std::FILE* output)
    : TracingLine(innerLine, LinesTo(output)) {}

TracingLine::TracingLine(SerialLine* innerLine, TraceLineSink lineSink)
    : inner(innerLine), sink(std::move(lineSink)), start(std::chrono::steady_clock::now()),
      pendingSince(start) {}

TracingLine::~TracingLine() { Flush(); }

void TracingLine::Write(int count, const uint8_t* data) {
  Gather(Direction::sent, count, data);
  inner->Write(count, data);
}

int TracingLine::Read(int count, uint8_t* buffer) {
  const int got = inner->Read(count, buffer);
  if (got > 0) Gather(Direction::received, got, buffer);
  return got;
}

bool TracingLine::WaitForData(int milliseconds) { return inner->WaitForData(milliseconds); }

// What is dropped here was never read by the program, so it is not traffic
// the program saw; the pending line is closed so frames stay apart.
void TracingLine::ClearReceive() {
  Flush();
  inner->ClearReceive();
}

void TracingLine::AbortAndClearReceive() {
  Flush();
  inner->AbortAndClearReceive();
}

void TracingLine::Gather(Direction newDirection, int count, const uint8_t* data) {
  if (newDirection != direction) Flush();
  if (pending.empty()) pendingSince = std::chrono::steady_clock::now();
  direction = newDirection;
  pending.insert(pending.end(), data, data + count);
}

void TracingLine::Flush() {
  if (direction == Direction::sent) {
    PrintBytes('>', pending.data(), pending.size());
    counts.sent += static_cast<long>(pending.size());
    last = LineCounts{static_cast<long>(pending.size()), 0, 0};
    lastSent = pending;
  } else if (direction == Direction::received) {
    // The half-duplex line hands back every frame sent ahead of the answer.
    const std::size_t echoLength = std::min(lastSent.size(), pending.size());
    const bool echoed =
        echoLength > 0 && std::memcmp(pending.data(), lastSent.data(), echoLength) == 0;
    const std::size_t skip = echoed ? echoLength : 0;
    for (LineCounts* tally : {&counts, &last}) {
      tally->echoed += static_cast<long>(skip);
      tally->answered += static_cast<long>(pending.size() - skip);
    }
    if (echoed) PrintBytes('=', pending.data(), echoLength);
    if (pending.size() > skip) PrintBytes('<', pending.data() + skip, pending.size() - skip);
    lastSent.clear();
  }
  pending.clear();
  direction = Direction::none;
}

void TracingLine::PrintBytes(char mark, const uint8_t* data, std::size_t count) {
  if (!sink) return;
  const double seconds =
      std::chrono::duration<double>(pendingSince - start).count();
  char piece[stampSize];
  std::snprintf(piece, sizeof piece, "%10.3f %c", seconds * millisecondsPerSecond, mark);
  std::string line = piece;
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(piece, sizeof piece, " %02X", data[i]);
    line += piece;
  }
  sink(line);
}
