#include "cli/flash_job.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/colour_rules.h"
#include "cli/console_report.h"
#include "cli/device_job.h"
#include "cli/exit_rule.h"
#include "cli/firmware_choice.h"
#include "cli/flash_record.h"
#include "cli/json_events.h"
#include "cli/reading_jobs.h"
#include "cli/station.h"
#include "cli/station_summary.h"
#include "cli/station_view_json.h"
#include "cli/station_view_lines.h"
#include "cli/station_view_rows.h"
#include "cli/terminal.h"
#include "coeff/coefficient_file.h"
#include "coeff/rejection_reason.h"
#include "link/printable_text.h"
#include "runner/exit_status.h"

namespace {

void ToStandardError(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

void ToStandardOutput(const std::string& line) { std::printf("%s\n", line.c_str()); }

// The job each port gets, in the ports' order: write's file for every port,
// or each port's own.
std::vector<Job> JobsFor(const FlashArguments& arguments, const FirmwareChoice& firmware,
                         std::size_t ports) {
  std::vector<Job> jobs(ports);
  for (std::size_t i = 0; i < ports; ++i) {
    jobs[i].kind = *arguments.job;
    jobs[i].firmware = firmware.tables;
    jobs[i].firmwareRelease = firmware.release;
    if (arguments.probeCount > 0) jobs[i].probeCount = arguments.probeCount;
    if (!arguments.files.empty() && *arguments.job != JobKind::readFirmware) {
      jobs[i].coefficientsFile = arguments.files[arguments.files.size() == 1 ? 0 : i];
    }
  }
  return jobs;
}

// Every file is judged before any port is touched: one bad file sends
// nothing to any device. Each job's file refused, with why; "" for a job
// whose file was read.
std::vector<std::string> ReadCoefficientFiles(std::vector<Job>& jobs) {
  std::vector<std::string> problems;
  // A file given for every port is read once.
  std::string judged;
  std::string problem;
  CoefficientImage image{};
  for (Job& job : jobs) {
    if (job.coefficientsFile != judged || problems.empty()) {
      judged = job.coefficientsFile;
      int badLine = 0;
      const int result = ReadCoefficientFile(judged.c_str(), &image, &badLine);
      problem = result == coefficientFileOk
                    ? ""
                    : "velt-flash: файл коэффициентов " + PrintableText(judged) + " отклонён: " +
                          CoefficientFileProblem(result, badLine);
    }
    if (problem.empty()) job.coefficients = image;
    problems.push_back(problem);
  }
  return problems;
}

bool AnyRefused(const std::vector<std::string>& problems) {
  for (const std::string& problem : problems) {
    if (!problem.empty()) return true;
  }
  return false;
}

// Each refusal once, however many ports were given its file.
void SayRefusals(const std::vector<std::string>& problems) {
  std::vector<std::string> said;
  for (const std::string& problem : problems) {
    if (problem.empty() || std::find(said.begin(), said.end(), problem) != said.end()) continue;
    ToStandardError(problem);
    said.push_back(problem);
  }
}

// The two jobs that read into a file write it once the reading is done.
void KeepWhatWasRead(const FlashArguments& arguments, JobResult& result,
                     const std::function<void(const std::string& line)>& out,
                     const std::function<void(const std::string& line)>& errors) {
  if (result.kind == JobKind::saveCoefficients) ReportSave(arguments, result, out, errors);
  if (result.kind == JobKind::readFirmware) ReportReadOut(arguments, result, out, errors);
}

int RunOneDevice(const FlashArguments& arguments, const Job& job, const DevicePort& port,
                 FlashRecord& record) {
  const bool terminal = IsTerminal(stdout);
  const bool colour = UseColour(arguments.colour, terminal, CurrentColourEnvironment());
  // A trace on the same terminal would tear the progress line apart.
  const bool progress =
      terminal && !arguments.quiet && !(arguments.trace && IsTerminal(stderr));
  const PageProgress pages = JobPages(job);
  TerminalWidth width(stdout);
  ConsoleReporter console({stdout, colour, progress, pages.toWrite, pages.toVerify,
                           arguments.quiet, [&width] { return width.Size().columns; }});
  ReportSinks sinks;
  console.Attach(&sinks);
  DeviceReports reports;
  reports.log = sinks.log;
  reports.page = sinks.page;
  reports.ended = [&console] { console.End(); };
  reports.error = ToStandardError;
  if (!arguments.quiet || arguments.trace) reports.trace = ToStandardError;
  if (arguments.trace) reports.frames = ToStandardError;

  StopSignals stops;
  DeviceJobSetup setup;
  setup.stops = &stops;
  JobResult result = RunDeviceJob(job, port, setup, reports);
  KeepWhatWasRead(arguments, result, ToStandardOutput, ToStandardError);
  return record.Append(job, result, ToStandardError);
}

int StatusOfAll(const std::vector<JobResult>& results) {
  std::vector<int> statuses;
  for (const JobResult& result : results) statuses.push_back(result.status);
  return StationExitStatus(statuses);
}

// Nothing was sent anywhere; each device still gets its row in the record
// and, when there are several, its line in the summary.
int RejectEveryDevice(const FlashArguments& arguments, const std::vector<Job>& jobs,
                      const std::vector<DevicePort>& ports, FlashRecord& record) {
  std::vector<JobResult> results;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    JobResult result = NotRun(jobs[i], {ports[i].given, ports[i].device}, JobOutcome::fileRejected);
    result.status = record.Append(jobs[i], result, ToStandardError);
    results.push_back(result);
  }
  if (ports.size() > 1) {
    PrintSummary(results,
                 UseColour(arguments.colour, IsTerminal(stdout), CurrentColourEnvironment()),
                 stdout);
  }
  return StatusOfAll(results);
}

// --json: every job, one port or a station, as events on stdout.
int RunAsEvents(const FlashArguments& arguments, const std::vector<Job>& jobs,
                const std::vector<DevicePort>& ports, FlashRecord& record) {
  JsonEvents events(stdout);
  const SettleResult settle = [&arguments, &record](const Job& job, JobResult& result,
                                                    const DeviceReports& reports) {
    KeepWhatWasRead(arguments, result, reports.error, reports.error);
    result.status = record.Append(job, result, reports.error);
  };
  StationJsonView view(ports, jobs, events, {arguments.quiet, arguments.trace, stderr});
  return StatusOfAll(RunStation(ports, jobs, settle, view));
}

// --json, a file refused: each device's start, why, and its end.
int RejectAsEvents(const std::vector<Job>& jobs, const std::vector<DevicePort>& ports,
                   const std::vector<std::string>& problems, FlashRecord& record) {
  JsonEvents events(stdout);
  std::vector<JobResult> results;
  for (size_t i = 0; i < ports.size(); ++i) {
    const std::string& port = ports[i].given;
    events.Start(port, jobs[i]);
    if (!problems[i].empty()) events.Detail(port, problems[i]);
    JobResult result = NotRun(jobs[i], {port, ports[i].device}, JobOutcome::fileRejected);
    result.status = record.Append(jobs[i], result, [&](const std::string& line) {
      events.Detail(port, line);
    });
    events.End(jobs[i], result);
    results.push_back(result);
  }
  const int status = StatusOfAll(results);
  if (ports.size() > 1) events.Summary(results, status);
  return status;
}

int RunSeveralDevices(const FlashArguments& arguments, const std::vector<Job>& jobs,
                      const std::vector<DevicePort>& ports, FlashRecord& record) {
  // The row is on the disk before the device's status is shown.
  const SettleResult settle = [&record](const Job& job, JobResult& result,
                                        const DeviceReports& reports) {
    result.status = record.Append(job, result, reports.error);
  };
  StationOutputFacts facts;
  facts.outTerminal = IsTerminal(stdout);
  facts.errorTerminal = IsTerminal(stderr);
  facts.colour = UseColour(arguments.colour, facts.outTerminal, CurrentColourEnvironment());
  facts.quiet = arguments.quiet;
  facts.trace = arguments.trace;
  if (ChooseStationOutput(facts) == StationOutput::rows) {
    // One scale for every row: the jobs differ at most in their files, and
    // every file's image fills both coefficient pages.
    const PageProgress totals = JobPages(jobs.front());
    StationRowView view(ports, {stdout, stderr, facts.errorTerminal, arguments.trace, totals});
    return StatusOfAll(RunStation(ports, jobs, settle, view));
  }
  StationLineView view(ports, {stdout, stderr, facts.colour, arguments.quiet, arguments.trace});
  return StatusOfAll(RunStation(ports, jobs, settle, view));
}

}  // namespace

int RunFlashJob(const FlashArguments& arguments, const std::vector<DevicePort>& ports) {
  FlashRecord record;
  if (const int status = record.Open(arguments.recordPath)) return status;
  // Read once for every device, before any port is opened; the jobs point
  // into it while they run.
  FirmwareChoice firmware;
  if (const int status = ChooseFirmware(arguments.firmwareDir, &firmware)) return status;
  std::vector<Job> jobs = JobsFor(arguments, firmware, ports.size());
  if (*arguments.job == JobKind::write) {
    const std::vector<std::string> problems = ReadCoefficientFiles(jobs);
    if (AnyRefused(problems)) {
      if (arguments.json) return RejectAsEvents(jobs, ports, problems, record);
      SayRefusals(problems);
      return RejectEveryDevice(arguments, jobs, ports, record);
    }
  }
  if (*arguments.job == JobKind::saveCoefficients) {
    if (const int status = CheckSaveTarget(arguments)) return status;
  }
  if (*arguments.job == JobKind::readFirmware) {
    if (const int status = CheckReadOutTarget(arguments)) return status;
  }
  if (arguments.json) return RunAsEvents(arguments, jobs, ports, record);
  if (ports.size() == 1) return RunOneDevice(arguments, jobs.front(), ports.front(), record);
  return RunSeveralDevices(arguments, jobs, ports, record);
}
