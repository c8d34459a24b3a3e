// One simulated device on its pseudo-terminal: the model, the pty and the
// answers waiting for the line. It has no thread of its own; a SimRunner
// calls Receive and SendDue, and everything else may be called from any
// thread under `mutex`.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/device_model.h"
#include "sim/usb_adapter.h"

using SimClock = std::chrono::steady_clock;

struct SimOutgoing {
  std::vector<uint8_t> bytes;
  SimClock::time_point notBefore;
};

struct SimLine {
  explicit SimLine(const SimOptions& options);
  ~SimLine();  // closes the pty
  SimLine(const SimLine&) = delete;
  SimLine& operator=(const SimLine&) = delete;

  mutable std::mutex mutex;  // guards model
  DeviceModel model;
  int master = -1;  // -1 once hung up
  int slave = -1;   // kept open so the tool closing its side never hangs the line up
  std::string path;
  bool ok = false;                  // the pty came up
  SimClock::duration byteTime{};    // zero: unpaced
  size_t fifoBytes = 1;
  std::atomic<bool> hungUp{false};
  std::atomic<long long> received{0};  // bytes read from the tool, frames or not
  std::atomic<int> echoed{0};
  std::atomic<int> answered{0};
  // How late the last byte of each answer left, against its deadline.
  std::atomic<int> answersSent{0};
  std::atomic<long long> lateNanoseconds{0};
  std::atomic<long long> worstLateNanoseconds{0};

  // Runner only.
  std::deque<SimOutgoing> outgoing;
  size_t sentOfFront = 0;
  SimClock::time_point lineFreeAt{};  // when the last answer byte finished on the line
  std::unique_ptr<UsbAdapter> adapter;  // null: the line reaches the pty directly

  // Takes in all the tool sent and echoes it. Returns false once the line is gone.
  bool Receive();
  // Lets out every answer byte whose time has come by `now`.
  void SendDue(SimClock::time_point now);
  // When the next answer byte or adapter packet is due; false when none waits.
  bool NextDeadline(SimClock::time_point* deadline) const;

 private:
  int OpenPty();
  bool TakeIn(const uint8_t* in, int count);  // one chunk read; false once hung up
  int WriteMaster(const uint8_t* bytes, int count);
  // What leaves the device: to the pty, or into the adapter. Returns the bytes taken.
  int Deliver(const uint8_t* bytes, int count);
  void SendAdapterPackets(SimClock::time_point now);
  bool AnswerDeadline(SimClock::time_point* deadline) const;
  void HangUp();
  void NoteLateness(SimClock::duration late);
};
