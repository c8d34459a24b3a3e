#include "sim/simulator.h"

#include "sim/sim_line.h"
#include "sim/sim_runner.h"

namespace {

constexpr double nanosecondsPerMillisecond = 1e6;

}  // namespace

struct Simulator::State {
  explicit State(const SimOptions& options) : line(options) {}
  SimLine line;
  std::unique_ptr<SimRunner> ownRunner;
  SimRunner* runner = nullptr;
};

Simulator::Simulator(const SimOptions& options) : state(new State(options)) {
  if (!state->line.ok) return;
  state->ownRunner.reset(new SimRunner);
  if (!state->ownRunner->Ok()) return;
  state->runner = state->ownRunner.get();
  state->runner->Add(&state->line);
}

Simulator::Simulator(const SimOptions& options, SimRunner& runner) : state(new State(options)) {
  if (!state->line.ok || !runner.Ok()) return;
  state->runner = &runner;
  runner.Add(&state->line);
}

Simulator::~Simulator() {
  if (state->runner != nullptr) state->runner->Remove(&state->line);
}

const std::string& Simulator::DevicePath() const { return state->line.path; }
bool Simulator::Ok() const { return state->runner != nullptr; }
bool Simulator::HungUp() const { return state->line.hungUp; }

void Simulator::SetFaults(const SimFaults& faults) {
  std::lock_guard<std::mutex> lock(state->line.mutex);
  SetDeviceFaults(&state->line.model, faults);
}

std::vector<SimFrame> Simulator::Transcript() const {
  std::lock_guard<std::mutex> lock(state->line.mutex);
  return state->line.model.transcript;
}

void Simulator::ClearTranscript() {
  std::lock_guard<std::mutex> lock(state->line.mutex);
  state->line.model.transcript.clear();
}

std::vector<uint8_t> Simulator::Memory(int controller) const {
  if (controller < 1 || controller > simControllerCount) return {};
  std::lock_guard<std::mutex> lock(state->line.mutex);
  return state->line.model.memory[controller - 1];
}

void Simulator::SetMemory(int controller, uint32_t address, const std::vector<uint8_t>& bytes) {
  if (controller < 1 || controller > simControllerCount) return;
  std::lock_guard<std::mutex> lock(state->line.mutex);
  std::vector<uint8_t>& memory = state->line.model.memory[controller - 1];
  for (size_t i = 0; i < bytes.size() && address + i < memory.size(); ++i) {
    memory[address + i] = bytes[i];
  }
}

uint8_t Simulator::ControlByte(int controller) const {
  if (controller < 1 || controller > simControllerCount) return 0;
  std::lock_guard<std::mutex> lock(state->line.mutex);
  return state->line.model.controlByte[controller - 1];
}

int Simulator::RoutedController() const {
  std::lock_guard<std::mutex> lock(state->line.mutex);
  return state->line.model.routed;
}

bool Simulator::ApplicationRunning() const {
  std::lock_guard<std::mutex> lock(state->line.mutex);
  return state->line.model.launched;
}

int Simulator::FramesReceived(SimCommand kind) const {
  std::lock_guard<std::mutex> lock(state->line.mutex);
  return state->line.model.framesReceived[static_cast<int>(kind)];
}

long long Simulator::ReceivedBytes() const { return state->line.received; }
int Simulator::EchoedBytes() const { return state->line.echoed; }
int Simulator::AnsweredBytes() const { return state->line.answered; }

Simulator::Pacing Simulator::AnswerPacing() const {
  Pacing pacing;
  pacing.answers = state->line.answersSent;
  pacing.lateMs = state->line.lateNanoseconds / nanosecondsPerMillisecond;
  pacing.worstLateMs = state->line.worstLateNanoseconds / nanosecondsPerMillisecond;
  return pacing;
}
