#include "tests/support/scripted_line.h"

#include <algorithm>
#include <cstring>

namespace {

ScriptedLine* pausedLine = nullptr;

void RecordPause(int milliseconds) {
  if (pausedLine != nullptr) pausedLine->events.push_back("pause " + std::to_string(milliseconds));
}

}  // namespace

void ScriptedLine::Attach(BootLink& link) {
  link.port = this;
  link.pauseFunction = RecordPause;
  pausedLine = this;
}

void ScriptedLine::Write(int count, const uint8_t* data) {
  writes.emplace_back(data, data + count);
  events.push_back("write");
}

int ScriptedLine::Read(int count, uint8_t* buffer) {
  ++readCalls;
  readCounts.push_back(count);
  events.push_back("read");
  if (reads.empty()) return 0;
  Bytes& chunk = reads.front();
  const int taken = std::min<int>(count, static_cast<int>(chunk.size()));
  if (taken > 0) std::memcpy(buffer, chunk.data(), taken);
  chunk.erase(chunk.begin(), chunk.begin() + taken);
  if (chunk.empty()) reads.pop_front();
  return taken;
}

bool ScriptedLine::WaitForData(int milliseconds) {
  events.push_back("pause " + std::to_string(milliseconds));
  return !reads.empty() && !reads.front().empty();
}

void ScriptedLine::ClearReceive() { events.push_back("clear"); }
void ScriptedLine::AbortAndClearReceive() { events.push_back("abort"); }

int ScriptedLine::Count(const std::string& event) const {
  return static_cast<int>(std::count(events.begin(), events.end(), event));
}

int ScriptedLine::PauseCount() const {
  return static_cast<int>(std::count_if(events.begin(), events.end(), [](const std::string& e) {
    return e.rfind("pause", 0) == 0;
  }));
}

Bytes ScriptedLine::Sent() const {
  Bytes all;
  for (const Bytes& write : writes) all.insert(all.end(), write.begin(), write.end());
  return all;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
