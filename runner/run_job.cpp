#include "runner/run_job.h"

#include "link/adapter_facts.h"
#include "link/printable_text.h"
#include "runner/exit_status.h"
#include "runner/job_tally.h"
#include "runner/load_firmware_set.h"

namespace {

constexpr int deviceNameSize = 256;

// Returns 0, or -1 with what the operator is told in *problem.
int OpenPort(ComPort& com, const std::string& device, std::string* problem) {
  const bool digit = IsPortDigit(device);
  if ((digit ? com.Open(device[0]) : com.OpenDevice(device.c_str())) == 0) return 0;
  std::string shown = device;
  if (digit) {
    char name[deviceNameSize];
    PortDeviceName(device[0], name, sizeof name);
    shown += std::string(" (") + name + ")";
  }
  *problem = "порт " + PrintableText(shown) + " не открылся: " + PortErrorText(com.LastError());
  return -1;
}

Outcome RunProcedure(const Job& job, RunContext& run, JobResult& result) {
  switch (job.kind) {
    case JobKind::firmware:
      return LoadFirmware(run, job.firmware);
    case JobKind::write: {
      // A write without an image would send nothing meaningful: refused
      // before, by the front end; here it fails rather than sending.
      if (!job.coefficients) return Outcome::failed;
      const CoefficientPages pages(job.coefficients->data());
      return WriteCoefficients(run, pages.table);
    }
    case JobKind::reset:
      return ResetCoefficients(run, job.firmware);
    case JobKind::verify:
      return VerifyFirmware(run, job.firmware);
    case JobKind::saveCoefficients:
      return ReadCoefficients(run, result.read.data());
    case JobKind::readFirmware: {
      FirmwareMemory memory;
      const Outcome outcome = ReadFirmware(run, &memory);
      if (outcome == Outcome::started || outcome == Outcome::startNotConfirmed) {
        result.firmwareRead = ReadOutSet(memory);
      }
      return outcome;
    }
    case JobKind::probe:
      return ProbeLine(run, job.firmware, job.probeCount, &result.probe);
  }
  return Outcome::failed;
}

// The probe's times, then the adapter and, when its delay is worth a word,
// the advice.
void DescribeProbe(const JobPort& port, const ComPort& com, JobResult& result) {
  result.probeLines = DescribeLineTimes(result.probe);
  const AdapterFacts facts = ReadAdapterFacts(port.device, com);
  for (const std::string& line : DescribeAdapter(facts)) result.probeLines.push_back(line);
  if (result.probe.measured) {
    result.probeAdvice = AdapterAdvice(facts, result.probe.answerDelayMs);
  }
  if (!result.probeAdvice.empty()) result.probeLines.push_back(result.probeAdvice);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Finish(JobResult& result, JobOutcome outcome) {
  result.outcome = outcome;
  result.status = ExitStatusOf(outcome);
}

}  // namespace

JobResult NotRun(const Job& job, const JobPort& port, JobOutcome outcome) {
  JobResult result;
  result.port = port.given;
  result.kind = job.kind;
  result.started = std::chrono::system_clock::now();
  Finish(result, outcome);
  return result;
}

JobResult RunJob(const Job& job, const JobPort& port, ComPort& com, RunContext& run) {
  const auto start = std::chrono::steady_clock::now();
  JobResult result = NotRun(job, port, JobOutcome::portNotOpened);
  if (OpenPort(com, port.device, &result.failure) != 0) {
    result.seconds = SecondsSince(start);
    return result;
  }
  JobTally tally;
  Outcome outcome;
  {
    TalliedReports tallied(&run.reports, &tally);
    outcome = RunProcedure(job, run, result);
  }
  // While the port is open: what its low-latency request came to is known then.
  if (job.kind == JobKind::probe) DescribeProbe(port, com, result);
  com.Close();
  Finish(result, JobOutcomeOf(outcome));
  result.seconds = SecondsSince(start);
  result.pagesWritten = tally.pagesWritten;
  result.pagesVerified = tally.pagesVerified;
  result.lastLine = tally.lastLine;
  result.failure = outcome == Outcome::failed ? DescribeFailure(run.failure) : "";
  result.reachedDevice = run.contacted;
  return result;
}
