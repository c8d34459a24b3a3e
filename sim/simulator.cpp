// Runs the device model on a pseudo-terminal in a background thread: echoes
// every byte at once and lets the answers out at the line's pace.
#include "sim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#include "sim/device_model.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int bitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr int readChunk = 4096;
constexpr int ptyNameSize = 128;
constexpr long long nanosecondsPerSecond = 1000000000LL;
// The runner's wake-ups should land on the byte deadlines, not 50 us late.
constexpr unsigned long timerSlackNanoseconds = 1;

struct Outgoing {
  std::vector<uint8_t> bytes;
  Clock::time_point notBefore;
};

// A device answers within its deadlines whatever the computer is doing; on a
// loaded test machine the runner needs the scheduler's help to do the same.
// Without the right to it (not root), it runs at normal priority.
void AskForRealTimePriority() {
  sched_param parameters{};
  parameters.sched_priority = sched_get_priority_min(SCHED_FIFO);
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters);
}

void CloseFd(int* fd) {
  if (*fd >= 0) ::close(*fd);
  *fd = -1;
}

}  // namespace

struct Simulator::State {
  mutable std::mutex mutex;  // guards model
  DeviceModel model;
  int master = -1;
  int slave = -1;  // kept open so the tool closing its side never hangs the line up
  int wake[2] = {-1, -1};
  std::string path;
  bool ok = false;
  Clock::duration byteTime{};  // zero: unpaced
  std::atomic<bool> stopping{false};
  std::atomic<bool> hungUp{false};
  std::atomic<int> echoed{0};
  std::atomic<int> answered{0};
  std::thread thread;

  // Runner thread only.
  std::deque<Outgoing> outgoing;
  size_t sentOfFront = 0;
  Clock::time_point lineFreeAt{};  // when the last answer byte finished on the line

  int OpenPty();
  void Run();
  bool ReceiveAvailable();
  void SendDue(Clock::time_point now);
  bool NextDeadline(Clock::time_point* deadline) const;
  int WriteMaster(const uint8_t* bytes, int count);
  void HangUp();
};

int Simulator::State::OpenPty() {
  master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) return -1;
  char name[ptyNameSize];
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    return -1;
  }
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  fcntl(master, F_SETFD, FD_CLOEXEC);
  slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0) return -1;
  // Raw at once: a cooked pty would echo by itself before the model does.
  termios settings{};
  if (tcgetattr(slave, &settings) != 0) return -1;
  cfmakeraw(&settings);
  if (tcsetattr(slave, TCSANOW, &settings) != 0) return -1;
  if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  path = name;
  return 0;
}

int Simulator::State::WriteMaster(const uint8_t* bytes, int count) {
  // Nobody reading: the pty's buffer fills and the bytes are lost, as on a
  // line without a listener.
  int done = 0;
  while (done < count) {
    const ssize_t n = ::write(master, bytes + done, count - done);
    if (n <= 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

void Simulator::State::HangUp() {
  CloseFd(&master);
  CloseFd(&slave);
  outgoing.clear();
  hungUp = true;
}

// Returns false once the line is gone.
bool Simulator::State::ReceiveAvailable() {
  uint8_t in[readChunk];
  const ssize_t n = ::read(master, in, sizeof in);
  if (n <= 0) return true;
  std::vector<uint8_t> echo;
  DeviceReply reply;
  for (ssize_t i = 0; i < n; ++i) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      DeviceReceiveByte(&model, in[i], &reply);
    }
    if (reply.echo) echo.push_back(in[i]);
    if (reply.hangUp) {
      WriteMaster(echo.data(), static_cast<int>(echo.size()));
      echoed += static_cast<int>(echo.size());
      HangUp();
      return false;
    }
    if (!reply.answer.empty()) {
      const Clock::time_point due = Clock::now() + std::chrono::milliseconds(reply.latencyMs);
      outgoing.push_back({reply.answer, due});
    }
  }
  echoed += WriteMaster(echo.data(), static_cast<int>(echo.size()));
  return true;
}

bool Simulator::State::NextDeadline(Clock::time_point* deadline) const {
  if (outgoing.empty()) return false;
  // A byte is done one byte time after the line is free and the answer is due.
  *deadline = std::max(outgoing.front().notBefore, lineFreeAt) + byteTime;
  return true;
}

void Simulator::State::SendDue(Clock::time_point now) {
  Clock::time_point deadline;
  while (NextDeadline(&deadline) && deadline <= now) {
    Outgoing& front = outgoing.front();
    // Deadlines are absolute, so a late wake-up sends the bytes it owes at
    // once and the average rate never drifts below the line's.
    size_t count = front.bytes.size() - sentOfFront;
    if (byteTime.count() > 0) {
      const auto behind = (now - deadline) / byteTime + 1;
      count = std::min(count, static_cast<size_t>(behind));
    }
    answered += WriteMaster(front.bytes.data() + sentOfFront, static_cast<int>(count));
    lineFreeAt = deadline + byteTime * static_cast<int>(count - 1);
    sentOfFront += count;
    if (sentOfFront == front.bytes.size()) {
      outgoing.pop_front();
      sentOfFront = 0;
    }
  }
}

void Simulator::State::Run() {
  prctl(PR_SET_TIMERSLACK, timerSlackNanoseconds);
  AskForRealTimePriority();
  while (!stopping) {
    timespec timeout{};
    timespec* wait = nullptr;
    Clock::time_point deadline;
    if (NextDeadline(&deadline)) {
      const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
      const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      timeout.tv_sec = static_cast<time_t>(ns / nanosecondsPerSecond);
      timeout.tv_nsec = static_cast<long>(ns % nanosecondsPerSecond);
      wait = &timeout;
    }
    pollfd fds[2] = {{master, POLLIN, 0}, {wake[0], POLLIN, 0}};
    const int ready = ppoll(fds, 2, wait, nullptr);
    if (ready < 0 && errno != EINTR) break;
    if (stopping) break;
    if (ready > 0 && (fds[0].revents & POLLIN) && !ReceiveAvailable()) break;
    if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR)) && !(fds[0].revents & POLLIN)) {
      // Cannot happen while our own slave is open; do not spin if it does.
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    SendDue(Clock::now());
  }
}

Simulator::Simulator(const SimOptions& options) : state(new State) {
  InitDeviceModel(&state->model, options);
  if (options.baud > 0) {
    state->byteTime = std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(bitsPerByte * nanosecondsPerSecond / options.baud));
  }
  if (state->OpenPty() != 0) {
    CloseFd(&state->master);
    CloseFd(&state->slave);
    return;
  }
  state->ok = true;
  state->thread = std::thread([this] { state->Run(); });
}

Simulator::~Simulator() {
  state->stopping = true;
  if (state->wake[1] >= 0) {
    const uint8_t poke = 0;
    (void)!::write(state->wake[1], &poke, 1);
  }
  if (state->thread.joinable()) state->thread.join();
  CloseFd(&state->master);
  CloseFd(&state->slave);
  CloseFd(&state->wake[0]);
  CloseFd(&state->wake[1]);
}

const std::string& Simulator::DevicePath() const { return state->path; }
bool Simulator::Ok() const { return state->ok; }
bool Simulator::HungUp() const { return state->hungUp; }

void Simulator::SetFaults(const SimFaults& faults) {
  std::lock_guard<std::mutex> lock(state->mutex);
  SetDeviceFaults(&state->model, faults);
}

std::vector<SimFrame> Simulator::Transcript() const {
  std::lock_guard<std::mutex> lock(state->mutex);
  return state->model.transcript;
}

void Simulator::ClearTranscript() {
  std::lock_guard<std::mutex> lock(state->mutex);
  state->model.transcript.clear();
}

std::vector<uint8_t> Simulator::Memory(int controller) const {
  if (controller < 1 || controller > simControllerCount) return {};
  std::lock_guard<std::mutex> lock(state->mutex);
  return state->model.memory[controller - 1];
}

void Simulator::SetMemory(int controller, uint32_t address, const std::vector<uint8_t>& bytes) {
  if (controller < 1 || controller > simControllerCount) return;
  std::lock_guard<std::mutex> lock(state->mutex);
  std::vector<uint8_t>& memory = state->model.memory[controller - 1];
  for (size_t i = 0; i < bytes.size() && address + i < memory.size(); ++i) {
    memory[address + i] = bytes[i];
  }
}

uint8_t Simulator::ControlByte(int controller) const {
  if (controller < 1 || controller > simControllerCount) return 0;
  std::lock_guard<std::mutex> lock(state->mutex);
  return state->model.controlByte[controller - 1];
}

int Simulator::RoutedController() const {
  std::lock_guard<std::mutex> lock(state->mutex);
  return state->model.routed;
}

bool Simulator::ApplicationRunning() const {
  std::lock_guard<std::mutex> lock(state->mutex);
  return state->model.launched;
}

int Simulator::FramesReceived(SimCommand kind) const {
  std::lock_guard<std::mutex> lock(state->mutex);
  return state->model.framesReceived[static_cast<int>(kind)];
}

int Simulator::EchoedBytes() const { return state->echoed; }
int Simulator::AnsweredBytes() const { return state->answered; }
