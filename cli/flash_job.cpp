#include "cli/flash_job.h"

#include <cstdio>
#include <string>

#include "cli/colour_rules.h"
#include "cli/console_report.h"
#include "cli/device_job.h"
#include "cli/exit_rule.h"
#include "cli/exit_status.h"
#include "cli/flash_record.h"
#include "cli/reading_jobs.h"
#include "cli/station.h"
#include "cli/station_summary.h"
#include "cli/station_view_lines.h"
#include "cli/station_view_rows.h"
#include "cli/terminal.h"
#include "coeff/coefficient_file.h"
#include "coeff/rejection_reason.h"
#include "link/printable_text.h"
#include "firmware/firmware_images.h"
#include "loader/procedures.h"

namespace {

// Pages the job writes, and reads back again.
int PagesOf(FlashJob job) {
  const FirmwareTables tables = BuiltInFirmwareTables();
  if (job == FlashJob::firmware || job == FlashJob::verify) return CountFirmwarePages(tables);
  if (job == FlashJob::reset) {
    return CountPresentPages(*tables[0], coefficientPagesStart, coefficientPagesEnd, firmwareBase);
  }
  if (job == FlashJob::saveCoefficients) return coefficientPageCount;
  return CountPresentPages(coefficientTable, coefficientBase, coefficientPagesEnd,
                           coefficientBase);
}

bool ReadsOnly(FlashJob job) {
  return job == FlashJob::verify || job == FlashJob::saveCoefficients;
}

void ToStandardError(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

// The file is judged before any port is touched: a bad file sends nothing.
int CheckCoefficientFile(const FlashArguments& arguments) {
  int badLine = 0;
  const int result = ReadCoefficientFile(arguments.file.c_str(), &badLine);
  if (result == coefficientFileOk) return 0;
  std::fprintf(stderr, "velt-flash: файл коэффициентов %s отклонён: %s\n",
               PrintableText(arguments.file).c_str(),
               CoefficientFileProblem(result, badLine).c_str());
  return exitFileRejected;
}

int RunOneDevice(const FlashArguments& arguments, const DevicePort& port, FlashRecord& record) {
  const bool terminal = IsTerminal(stdout);
  const bool colour = UseColour(arguments.colour, terminal, CurrentColourEnvironment());
  // A trace on the same terminal would tear the progress line apart.
  const bool progress =
      terminal && !arguments.quiet && !(arguments.trace && IsTerminal(stderr));
  const int pages = PagesOf(arguments.job);
  TerminalWidth width(stdout);
  ConsoleReporter console({stdout, colour, progress, ReadsOnly(arguments.job) ? 0 : pages, pages,
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
  uint8_t coefficients[coefficientPagesSize] = {};
  DeviceJobSetup setup;
  setup.job = arguments.job;
  setup.stops = &stops;
  setup.coefficients = coefficients;
  DeviceResult result = RunDeviceJob(port, setup, reports);
  if (arguments.job == FlashJob::saveCoefficients) {
    result.status = FinishSave(arguments, result.status, coefficients);
  }
  return record.Append(result, ToStandardError);
}

int StatusOfAll(const std::vector<DeviceResult>& results) {
  std::vector<int> statuses;
  for (const DeviceResult& result : results) statuses.push_back(result.status);
  return StationExitStatus(statuses);
}

// Nothing was sent anywhere; each device still gets its row in the record
// and, when there are several, its line in the summary.
int RejectEveryDevice(const FlashArguments& arguments, const std::vector<DevicePort>& ports,
                      FlashRecord& record) {
  std::vector<DeviceResult> results;
  for (const DevicePort& port : ports) {
    DeviceResult result;
    result.port = port.given;
    result.job = arguments.job;
    result.outcome = DeviceOutcome::fileRejected;
    result.status = exitFileRejected;
    result.started = std::chrono::system_clock::now();
    result.status = record.Append(result, ToStandardError);
    results.push_back(result);
  }
  if (ports.size() > 1) {
    PrintSummary(results,
                 UseColour(arguments.colour, IsTerminal(stdout), CurrentColourEnvironment()),
                 stdout);
  }
  return StatusOfAll(results);
}

int RunSeveralDevices(const FlashArguments& arguments, const std::vector<DevicePort>& ports,
                      FlashRecord& record) {
  // The row is on the disk before the device's status is shown.
  const SettleResult settle = [&record](DeviceResult& result, const DeviceReports& reports) {
    result.status = record.Append(result, reports.error);
  };
  StationOutputFacts facts;
  facts.outTerminal = IsTerminal(stdout);
  facts.errorTerminal = IsTerminal(stderr);
  facts.colour = UseColour(arguments.colour, facts.outTerminal, CurrentColourEnvironment());
  facts.quiet = arguments.quiet;
  facts.trace = arguments.trace;
  if (ChooseStationOutput(facts) == StationOutput::rows) {
    const int pages = PagesOf(arguments.job);
    PageProgress totals;
    totals.toWrite = ReadsOnly(arguments.job) ? 0 : pages;
    totals.toVerify = pages;
    StationRowView view(ports, {stdout, stderr, facts.errorTerminal, arguments.trace, totals});
    return StatusOfAll(RunStation(ports, arguments.job, settle, view));
  }
  StationLineView view(ports, {stdout, stderr, facts.colour, arguments.quiet, arguments.trace});
  return StatusOfAll(RunStation(ports, arguments.job, settle, view));
}

}  // namespace

int RunFlashJob(const FlashArguments& arguments, const std::vector<DevicePort>& ports) {
  FlashRecord record;
  if (const int status = record.Open(arguments.recordPath)) return status;
  if (arguments.job == FlashJob::write && CheckCoefficientFile(arguments) != 0) {
    record.Describe(RecordedRunOf(arguments, false));
    return RejectEveryDevice(arguments, ports, record);
  }
  record.Describe(RecordedRunOf(arguments, true));
  if (arguments.job == FlashJob::saveCoefficients) {
    if (const int status = CheckSaveTarget(arguments)) return status;
  }
  if (ports.size() == 1) return RunOneDevice(arguments, ports.front(), record);
  return RunSeveralDevices(arguments, ports, record);
}
