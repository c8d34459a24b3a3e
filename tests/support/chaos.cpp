#include "tests/support/chaos.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <utility>

#include <deque>
#include <fstream>
#include <iterator>

#include "firmware/firmware_images.h"
#include "link/device_layout.h"
#include "runner/exit_status.h"
#include "runner/job_recorder.h"
#include "tests/support/model_line.h"

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

// The fields of one CSV row from `at` (";" between them, quotes doubled
// inside quoted ones), up to its CR LF; false when the text ends first.
bool NextRow(const std::string& text, size_t* at, std::vector<std::string>* fields) {
  fields->assign(1, "");
  bool quoted = false;
  for (size_t i = *at; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        fields->back() += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        fields->back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ';') {
      fields->emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      *at = i + 2;
      return true;
    } else {
      fields->back() += c;
    }
  }
  return false;
}

// 0 for a file not there yet.
size_t FileSize(const std::string& path) {
  std::error_code missing;
  const uintmax_t size = std::filesystem::file_size(path, missing);
  return missing ? 0 : static_cast<size_t>(size);
}

// A folder of the harness's own for the record, in memory where there is
// such a file system: every row is flushed to the disk before it counts.
class RecordFolder {
 public:
  RecordFolder() {
    std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/velt-chaos-XXXXXX");
    if (mkdtemp(&pattern[0]) != nullptr) path = pattern;
  }
  ~RecordFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  RecordFolder(const RecordFolder&) = delete;
  RecordFolder& operator=(const RecordFolder&) = delete;
  std::string path;
};

// The job's row as a front end writes it: the runner's result for the
// job's end, as RunJob fills it once the port was open.
int RecordChaosJob(const std::string& recordPath, JobKind kind, const ChaosSchedule& schedule,
                   const RunContext& run, JobOutcome end, std::string* reason) {
  Job job;
  job.kind = kind;
  job.firmware = BuiltInFirmwareTables();
  if (kind == JobKind::write) {
    CoefficientImage image{};
    std::copy(schedule.coefficients.begin(), schedule.coefficients.begin() + image.size(), image.begin());
    job.coefficients = image;
    job.coefficientsFile = "chaos.koeff";
  }
  JobResult result = NotRun(job, JobPort{"chaos", "chaos"}, end);
  result.failure = end == JobOutcome::failed ? DescribeFailure(run.failure) : "";
  result.reachedDevice = run.contacted;
  JobRecorder recorder;
  if (recorder.Open(recordPath, reason) != 0) return -1;
  return recorder.Append(job, result, reason);
}

}  // namespace

std::vector<std::map<std::string, std::string>> ReadRecordRows(const std::string& path, size_t skip,
                                                               size_t* end) {
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string header = RecordHeader();
  std::vector<std::string> columns;
  size_t at = header.find_first_not_of("\xEF\xBB\xBF");
  NextRow(header, &at, &columns);
  at = skip != 0 ? skip : header.size();
  *end = at;
  std::vector<std::map<std::string, std::string>> rows;
  std::vector<std::string> fields;
  while (NextRow(text, &at, &fields)) {
    std::map<std::string, std::string> row;
    for (size_t i = 0; i < fields.size(); ++i) row[i < columns.size() ? columns[i] : "extra"] = fields[i];
    rows.push_back(row);
    *end = at;
  }
  return rows;
}

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

  // Exactly one record row, saying the end the job had.
  if (seen.rows.size() != 1) {
    broken.push_back(std::to_string(seen.rows.size()) + " record rows for one job");
  } else {
    const std::map<std::string, std::string>& row = seen.rows.front();
    const auto text = [&row](const char* column) {
      const auto found = row.find(column);
      return found == row.end() ? std::string("(none)") : found->second;
    };
    if (text("outcome") != OutcomeName(seen.end) || text("exit") != std::to_string(ExitStatusOf(seen.end))) {
      broken.push_back("record row says " + text("outcome") + " (" + text("exit") + ") for a job that ended " +
                       ChaosEndName(seen.end));
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

ChaosVerdict RunChaosCase(const ChaosSchedule& schedule, const std::string& folder) {
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
                        ChaosJobPages(schedule.job, coefficients), {}};
  std::unique_ptr<RecordFolder> own;
  if (folder.empty()) own = std::make_unique<RecordFolder>();
  const std::string recordPath = (folder.empty() ? own->path : folder) + "/record.csv";
  const size_t before = FileSize(recordPath);
  seen.end = RunChaosJob(schedule.job, line.run, coefficients);
  seen.log = line.log;
  std::string reason;
  std::vector<std::string> violations;
  if (RecordChaosJob(recordPath, schedule.job, schedule, line.run, seen.end, &reason) != 0) {
    violations.push_back("the record took no row: " + reason);
  }
  size_t end = 0;
  seen.rows = ReadRecordRows(recordPath, before, &end);
  if (end != FileSize(recordPath)) violations.push_back("the record ends in a torn row");
  for (const std::string& broken : CheckChaosInvariants(seen)) violations.push_back(broken);
  return {seen.end, violations};
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
  const RecordFolder folder;  // one record for the run, as a station keeps
  for (int k = 0; k < jobs; ++k) {
    const ChaosSchedule schedule = DrawChaosSchedule(ChaosJobSeed(seed, k));
    const ChaosVerdict verdict = RunChaosCase(schedule, folder.path);
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
