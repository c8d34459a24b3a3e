// The simulated device on a pseudo-terminal: tests and velt-sim open its
// DevicePath() with the real serial code. A background thread echoes, answers
// and paces, either its own or one that serves several devices (SimRunner);
// everything here may be called from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/sim_types.h"

class SimRunner;

class Simulator {
 public:
  explicit Simulator(const SimOptions& options = {});
  // Served by `runner`, which must outlive it.
  Simulator(const SimOptions& options, SimRunner& runner);
  ~Simulator();  // leaves its thread, closes the pty
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  const std::string& DevicePath() const;  // /dev/pts/N
  bool Ok() const;                        // the pty came up
  bool HungUp() const;                    // a hang-up fault closed the line

  void SetFaults(const SimFaults& faults);  // fault counters restart
  std::vector<SimFrame> Transcript() const;
  void ClearTranscript();
  std::vector<uint8_t> Memory(int controller) const;  // 1..3, simMemorySize bytes
  void SetMemory(int controller, uint32_t address, const std::vector<uint8_t>& bytes);
  uint8_t ControlByte(int controller) const;  // last control byte written, 0x00 at start
  int RoutedController() const;
  bool ApplicationRunning() const;

  // Frames of `kind` with a good checksum since the start; faults and
  // ClearTranscript leave the count alone.
  int FramesReceived(SimCommand kind) const;

  // Bytes taken in from the tool since the start, whatever they were: once
  // it equals what the tool wrote, nothing is left on the way.
  long long ReceivedBytes() const;
  int EchoedBytes() const;
  int AnsweredBytes() const;

  // How precisely the answers kept to the line's pace: how late the last
  // byte of each left against its deadline, summed and at worst.
  struct Pacing {
    int answers = 0;
    double lateMs = 0;
    double worstLateMs = 0;
  };
  Pacing AnswerPacing() const;

  struct State;

 private:
  std::unique_ptr<State> state;
};
