#include "sim/sim_line.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

namespace {

constexpr int bitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr int readChunk = 4096;
constexpr int ptyNameSize = 128;
constexpr long long nanosecondsPerSecond = 1000000000LL;

void CloseFd(int* fd) {
  if (*fd >= 0) ::close(*fd);
  *fd = -1;
}

}  // namespace

SimLine::SimLine(const SimOptions& options) {
  InitDeviceModel(&model, options);
  fifoBytes = static_cast<size_t>(std::max(1, options.fifoBytes));
  if (options.baud > 0) {
    byteTime = std::chrono::duration_cast<SimClock::duration>(
        std::chrono::nanoseconds(bitsPerByte * nanosecondsPerSecond / options.baud));
  }
  if (options.adapterLatencyMs > 0) {
    adapter.reset(new UsbAdapter(std::chrono::milliseconds(options.adapterLatencyMs)));
  }
  if (OpenPty() != 0) {
    CloseFd(&master);
    CloseFd(&slave);
    return;
  }
  ok = true;
}

SimLine::~SimLine() {
  CloseFd(&master);
  CloseFd(&slave);
}

int SimLine::OpenPty() {
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
  path = name;
  return 0;
}

int SimLine::WriteMaster(const uint8_t* bytes, int count) {
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

int SimLine::Deliver(const uint8_t* bytes, int count) {
  if (!adapter) return WriteMaster(bytes, count);
  const SimClock::time_point now = SimClock::now();
  adapter->Put(bytes, count, now);
  SendAdapterPackets(now);
  return count;
}

void SimLine::SendAdapterPackets(SimClock::time_point now) {
  if (!adapter) return;
  std::vector<uint8_t> packet;
  while (adapter->TakePacket(now, &packet)) {
    WriteMaster(packet.data(), static_cast<int>(packet.size()));
  }
}

void SimLine::HangUp() {
  // Said before it happens: the tool may see the line drop at once.
  hungUp = true;
  CloseFd(&master);
  CloseFd(&slave);
  outgoing.clear();
}

bool SimLine::Receive() {
  // Only a full chunk is read again: a read of a pty that holds no input
  // waits for the kernel's pending hand-over, and the runner watches for the
  // next arrival instead.
  for (;;) {
    uint8_t in[readChunk];
    const ssize_t n = ::read(master, in, sizeof in);
    if (n <= 0) return true;
    received += n;
    if (!TakeIn(in, static_cast<int>(n))) return false;
    if (n < readChunk) return true;
  }
}

bool SimLine::TakeIn(const uint8_t* in, int n) {
  std::vector<uint8_t> echo;
  DeviceReply reply;
  for (int i = 0; i < n; ++i) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      DeviceReceiveByte(&model, in[i], &reply);
    }
    if (reply.echo) echo.push_back(in[i]);
    if (reply.hangUp) {
      // The last echo gets out, past any adapter: the line is gone after it.
      WriteMaster(echo.data(), static_cast<int>(echo.size()));
      echoed += static_cast<int>(echo.size());
      HangUp();
      return false;
    }
    if (!reply.answer.empty()) {
      const SimClock::time_point due = SimClock::now() + std::chrono::milliseconds(reply.latencyMs);
      outgoing.push_back({reply.answer, due});
    }
  }
  echoed += Deliver(echo.data(), static_cast<int>(echo.size()));
  return true;
}

bool SimLine::NextDeadline(SimClock::time_point* deadline) const {
  SimClock::time_point answer, packet;
  const bool answerWaits = AnswerDeadline(&answer);
  const bool packetWaits = adapter && adapter->NextDeadline(&packet);
  if (answerWaits && packetWaits) *deadline = std::min(answer, packet);
  else if (answerWaits) *deadline = answer;
  else if (packetWaits) *deadline = packet;
  return answerWaits || packetWaits;
}

bool SimLine::AnswerDeadline(SimClock::time_point* deadline) const {
  if (outgoing.empty()) return false;
  // A byte is done one byte time after the line is free and the answer is
  // due; the receiver hands over a FIFO's worth, or the answer's last bytes.
  const SimOutgoing& front = outgoing.front();
  const size_t handOver = std::min(fifoBytes, front.bytes.size() - sentOfFront);
  *deadline = std::max(front.notBefore, lineFreeAt) + byteTime * static_cast<int>(handOver);
  return true;
}

void SimLine::NoteLateness(SimClock::duration late) {
  const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(late).count();
  ++answersSent;
  lateNanoseconds += ns;
  if (ns > worstLateNanoseconds) worstLateNanoseconds = ns;
}

void SimLine::SendDue(SimClock::time_point now) {
  SimClock::time_point handOverDone;
  while (AnswerDeadline(&handOverDone) && handOverDone <= now) {
    SimOutgoing& front = outgoing.front();
    const SimClock::time_point lineFrom = std::max(front.notBefore, lineFreeAt);
    // Deadlines are absolute, so a late wake-up sends the bytes it owes at
    // once and the average rate never drifts below the line's.
    size_t count = front.bytes.size() - sentOfFront;
    if (byteTime.count() > 0) {
      const auto done = (now - lineFrom) / byteTime;
      count = std::min(count, static_cast<size_t>(done));
    }
    answered += Deliver(front.bytes.data() + sentOfFront, static_cast<int>(count));
    lineFreeAt = lineFrom + byteTime * static_cast<int>(count);
    sentOfFront += count;
    if (sentOfFront == front.bytes.size()) {
      NoteLateness(SimClock::now() - lineFreeAt);
      outgoing.pop_front();
      sentOfFront = 0;
    }
  }
  SendAdapterPackets(now);
}
