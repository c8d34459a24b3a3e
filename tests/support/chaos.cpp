#include "tests/support/chaos.h"

#include <algorithm>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <utility>

#include "tests/support/model_line.h"

#include <deque>

namespace {

using Random = std::mt19937_64;

// How far into a job a fault may be aimed, per kind of frame: about what a
// firmware load sends (149 pages each erased, written and read, some forty
// presence queries), so that faults land early, late and beyond the end.
struct KindReach {
  SimCommand kind;
  int frames;
};
constexpr KindReach kindReach[] = {
    {SimCommand::query, 40}, {SimCommand::read, 160},  {SimCommand::write, 160},
    {SimCommand::erase, 160}, {SimCommand::control, 6}, {SimCommand::null, 6},
    {SimCommand::select, 12}, {SimCommand::launch, 10},
};
constexpr int maxFaultsPerList = 2;
constexpr int maxFaultRun = 3;  // consecutive frames one fault hits
// Percentages of jobs with each whole-line fault or a stop request.
constexpr int silentPercent = 3;
constexpr int echoOnlyPercent = 3;
constexpr int ignoreLaunchPercent = 6;
constexpr int badReadPercent = 8;
constexpr int stopPercent = 15;
constexpr int hangUpPercent = 30;  // of the jobs with fault lists
constexpr int latencyPercent = 20;
// Up to well past the longest wait for an erase or write answer (about
// 50 and 200 polls of a millisecond or two), so that some answers are late.
constexpr int maxLatencyMs = 500;
constexpr int cleanPercent = 25;  // no fault lists at all
// The tool's writes in a firmware load and in a coefficient job, about.
constexpr int firmwareWrites = 800;
constexpr int coefficientWrites = 80;

int Between(Random& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

bool Chance(Random& random, int percent) { return Between(random, 1, 100) <= percent; }

std::vector<SimFault> DrawFaults(Random& random) {
  std::vector<SimFault> faults(Between(random, 0, maxFaultsPerList));
  for (SimFault& fault : faults) {
    const KindReach& reach = kindReach[Between(random, 0, std::size(kindReach) - 1)];
    fault = {reach.kind, Between(random, 1, reach.frames), Between(random, 1, maxFaultRun)};
  }
  return faults;
}

std::string FaultList(const char* name, const std::vector<SimFault>& faults) {
  std::ostringstream out;
  for (const SimFault& f : faults) {
    out << " " << name << "=" << SimCommandName(f.kind) << "#" << f.nth << "x" << f.count;
  }
  return out.str();
}

// The model's line on a clock of its own: the echo comes back at once, an
// answer once its latency has passed, and the tool's pauses and polls move
// the clock instead of taking time. An answer later than the tool waits
// still arrives, into whatever the tool does next, as on a real line. The
// tool's nth write asks the job to stop, as a signal between two frames would.
class ChaosLine : public ModelLine {
 public:
  ChaosLine(const SimOptions& options, int stopAt) : ModelLine(options), stopAtWrite(stopAt) {
    link.pauseFunction = Pause;
  }
  ~ChaosLine() override { pausing = nullptr; }

  // Only the one line of this thread is ever pausing; the link's pause takes
  // no context, so this says which clock it moves.
  void StartPausing() { pausing = this; }

  void Write(int count, const uint8_t* data) override {
    if (++writes == stopAtWrite) run.stopRequested = true;
    DeviceReply reply;
    for (int i = 0; i < count; ++i) {
      DeviceReceiveByte(&model, data[i], &reply);
      if (reply.echo) Arrive({data[i]}, now);
      if (!reply.answer.empty()) Arrive(reply.answer, now + reply.latencyMs);
    }
  }
  int Read(int count, uint8_t* buffer) override {
    Deliver();
    if (arrived.empty()) Advance(readWaitMs);
    int taken = 0;
    for (; taken < count && !arrived.empty(); ++taken) {
      buffer[taken] = arrived.front();
      arrived.pop_front();
    }
    return taken;
  }
  bool WaitForData(int milliseconds) override {
    Deliver();
    if (!arrived.empty()) return true;
    if (!inFlight.empty() && inFlight.front().due <= now + milliseconds) {
      now = inFlight.front().due;
      Deliver();
      return true;
    }
    Advance(milliseconds);
    return false;
  }
  void ClearReceive() override {
    Deliver();
    arrived.clear();
  }
  void AbortAndClearReceive() override { ClearReceive(); }

 private:
  struct Bytes {
    std::vector<uint8_t> bytes;
    long long due;  // ms on the line's clock
  };
  static constexpr int readWaitMs = 1;  // a read that finds nothing waits about this long
  static thread_local ChaosLine* pausing;

  static void Pause(int milliseconds) {
    if (pausing != nullptr) pausing->Advance(milliseconds);
  }
  void Advance(int milliseconds) { now += milliseconds; }
  // Bytes leave in order: nothing overtakes an answer still on its way.
  void Arrive(const std::vector<uint8_t>& bytes, long long due) {
    if (!inFlight.empty() && due < inFlight.back().due) due = inFlight.back().due;
    inFlight.push_back({bytes, due});
  }
  void Deliver() {
    while (!inFlight.empty() && inFlight.front().due <= now) {
      arrived.insert(arrived.end(), inFlight.front().bytes.begin(), inFlight.front().bytes.end());
      inFlight.pop_front();
    }
  }

  int stopAtWrite;
  int writes = 0;
  long long now = 0;
  std::deque<uint8_t> arrived;
  std::deque<Bytes> inFlight;
};

thread_local ChaosLine* ChaosLine::pausing = nullptr;

bool IsJobPage(const std::set<std::pair<int, uint32_t>>& pages, int controller, uint32_t address) {
  return pages.count({controller, address - address % pageSize}) != 0;
}

}  // namespace

std::string ChaosSchedule::Describe() const {
  std::ostringstream out;
  out << "seed " << seed << ": " << JobKindName(job);
  if (faults.silent) out << " silent";
  if (faults.echoOnly) out << " echo-only";
  if (faults.ignoreLaunch) out << " ignore-launch";
  if (faults.badReadController != 0) {
    out << " bad-read=" << faults.badReadController << ":0x" << std::hex << faults.badReadPage
        << std::dec;
  }
  out << FaultList("drop", faults.dropAnswer) << FaultList("corrupt", faults.corruptChecksum)
      << FaultList("stray", faults.strayBytes) << FaultList("hang-up", faults.hangUp);
  if (eraseLatencyMs != 0) out << " erase-latency=" << eraseLatencyMs;
  if (writeLatencyMs != 0) out << " write-latency=" << writeLatencyMs;
  if (stopAtWrite != 0) out << " stop-at-write=" << stopAtWrite;
  return out.str();
}

ChaosSchedule DrawChaosSchedule(uint64_t seed) {
  Random random(seed);
  ChaosSchedule s;
  s.seed = seed;
  s.job = chaosJobs[Between(random, 0, chaosJobKinds - 1)];
  for (uint8_t& byte : s.coefficients) byte = static_cast<uint8_t>(Between(random, 0, 255));
  s.faults.silent = Chance(random, silentPercent);
  s.faults.echoOnly = Chance(random, echoOnlyPercent);
  s.faults.ignoreLaunch = Chance(random, ignoreLaunchPercent);
  if (Chance(random, badReadPercent)) {
    // One of the job's own pages reads back wrong.
    const uint8_t* entries[2] = {s.coefficients.data(), s.coefficients.data() + pageSize};
    const std::vector<ChaosPage> pages = ChaosJobPages(s.job, PageTable{entries, 2});
    if (!pages.empty()) {
      const ChaosPage& page = pages[Between(random, 0, static_cast<int>(pages.size()) - 1)];
      s.faults.badReadController = page.controller;
      s.faults.badReadPage = page.address;
    }
  }
  if (!Chance(random, cleanPercent)) {
    s.faults.dropAnswer = DrawFaults(random);
    s.faults.corruptChecksum = DrawFaults(random);
    s.faults.strayBytes = DrawFaults(random);
    if (Chance(random, hangUpPercent)) s.faults.hangUp = DrawFaults(random);
  }
  if (Chance(random, latencyPercent)) s.eraseLatencyMs = Between(random, 0, maxLatencyMs);
  if (Chance(random, latencyPercent)) s.writeLatencyMs = Between(random, 0, maxLatencyMs);
  if (Chance(random, stopPercent)) {
    s.stopAtWrite = Between(random, 1, s.job == JobKind::firmware ? firmwareWrites : coefficientWrites);
  }
  return s;
}

std::vector<std::string> CheckChaosInvariants(const ChaosObservation& seen) {
  std::vector<std::string> broken;
  const DeviceModel& device = *seen.device;
  std::set<std::pair<int, uint32_t>> pages;
  for (const ChaosPage& page : seen.pages) pages.insert({page.controller, page.address});

  // Whatever the end: nothing outside the job's pages erased or written...
  for (const SimFrame& frame : device.transcript) {
    SimCommand kind;
    if (!frame.checksumOk || ClassifyFrame(frame, &kind) != 0) continue;
    if ((kind == SimCommand::erase || kind == SimCommand::write) &&
        !IsJobPage(pages, frame.controller, frame.address)) {
      std::ostringstream out;
      out << SimCommandName(kind) << " outside the job: controller " << frame.controller
          << " page 0x" << std::hex << frame.address;
      broken.push_back(out.str());
    }
  }
  // ...and nothing outside them changed.
  for (int c = 0; c < simControllerCount; ++c) {
    const std::vector<uint8_t>& before = seen.memoryBefore[c];
    const std::vector<uint8_t>& after = device.memory[c];
    for (uint32_t a = 0; a < before.size(); ++a) {
      if (before[a] != after[a] && !IsJobPage(pages, c + 1, a)) {
        std::ostringstream out;
        out << "memory outside the job changed: controller " << c + 1 << " at 0x" << std::hex << a;
        broken.push_back(out.str());
        break;
      }
    }
  }

  const bool started = LogSaysStarted(seen.log);
  switch (seen.end) {
    case JobOutcome::started:
    case JobOutcome::startNotConfirmed:
      for (const ChaosPage& page : seen.pages) {
        const std::vector<uint8_t>& memory = device.memory[page.controller - 1];
        if (!std::equal(page.image, page.image + pageSize, memory.begin() + page.address)) {
          std::ostringstream out;
          out << "verified page differs from the image: controller " << page.controller
              << " page 0x" << std::hex << page.address;
          broken.push_back(out.str());
        }
      }
      for (int c = 0; c < simControllerCount; ++c) {
        if (device.controlByte[c] != 0x00) {
          broken.push_back("control byte of controller " + std::to_string(c + 1) + " not back at 0x00");
        }
      }
      if (seen.end == JobOutcome::started && !device.launched) {
        broken.push_back("started, but the device does not run its application");
      }
      if (seen.end == JobOutcome::started && !started) broken.push_back("started without a start line");
      break;
    case JobOutcome::failed:
    case JobOutcome::noAnswer:
      if (started) broken.push_back("a start line in a job that failed");
      break;
    case JobOutcome::stopped:
    case JobOutcome::portNotOpened:  // no port and no file in the harness
    case JobOutcome::fileRejected:
      break;
  }
  return broken;
}

ChaosVerdict RunChaosCase(const ChaosSchedule& schedule) {
  const uint8_t* entries[2] = {schedule.coefficients.data(), schedule.coefficients.data() + pageSize};
  const PageTable coefficients{entries, 2};
  SimOptions options;
  options.faults = schedule.faults;
  options.eraseLatencyMs = schedule.eraseLatencyMs;
  options.writeLatencyMs = schedule.writeLatencyMs;
  ChaosLine line(options, schedule.stopAtWrite);
  line.StartPausing();
  // Memory that is not all one byte, so that a stray page write shows.
  Random random(schedule.seed);
  for (std::vector<uint8_t>& memory : line.model.memory) {
    for (size_t i = 0; i < memory.size(); i += sizeof(uint64_t)) {
      const uint64_t bytes = random();
      for (size_t b = 0; b < sizeof bytes && i + b < memory.size(); ++b) {
        memory[i + b] = static_cast<uint8_t>(bytes >> (8 * b));
      }
    }
  }
  ChaosObservation seen{JobOutcome::failed, {}, line.model.memory, &line.model,
                        ChaosJobPages(schedule.job, coefficients)};
  seen.end = RunChaosJob(schedule.job, line.run, coefficients);
  seen.log = line.log;
  return {seen.end, CheckChaosInvariants(seen)};
}

uint64_t ChaosJobSeed(uint64_t seed, int job) {
  // splitmix64: neighbouring jobs get unrelated schedules.
  uint64_t z = seed + 0x9E3779B97F4A7C15ULL * static_cast<uint64_t>(job + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

ChaosTally RunChaos(int jobs, uint64_t seed,
                    const std::function<void(const ChaosSchedule&, const ChaosVerdict&)>& onViolation) {
  ChaosTally tally;
  for (int k = 0; k < jobs; ++k) {
    const ChaosSchedule schedule = DrawChaosSchedule(ChaosJobSeed(seed, k));
    const ChaosVerdict verdict = RunChaosCase(schedule);
    ++tally.jobs;
    ++tally.ends[ChaosEndIndex(verdict.end)];
    ++tally.kinds[ChaosJobIndex(schedule.job)];
    if (!verdict.violations.empty()) {
      tally.violatingSeeds.push_back(schedule.seed);
      if (onViolation) onViolation(schedule, verdict);
    }
  }
  return tally;
}
