#include "cli/device_job.h"

#include "cli/exit_status.h"
#include "cli/log_line.h"
#include "cli/reading_jobs.h"
#include "coeff/coefficient_file.h"
#include "link/boot_link.h"
#include "link/com_port.h"
#include "link/printable_text.h"
#include "firmware/firmware_images.h"

namespace {

constexpr int deviceNameSize = 256;
constexpr char programPrefix[] = "velt-flash: ";

// One device's line, from the port up: what a job on it touches and nothing
// else does.
struct DeviceLine {
  explicit DeviceLine(const TraceLineSink& frames)
      : tracing(&port, frames), link(&tracing), run(link) {}
  ComPort port;
  TracingLine tracing;
  BootLink link;
  RunContext run;
};

void Say(const DeviceReports& reports, const std::string& text) {
  if (reports.error) reports.error(programPrefix + text);
}

// Returns 0, or -1 with what the operator is told in *problem.
int OpenPort(ComPort& port, const std::string& name, std::string* problem) {
  const bool digit = IsPortDigit(name);
  if ((digit ? port.Open(name[0]) : port.OpenDevice(name.c_str())) == 0) return 0;
  std::string shown = name;
  if (digit) {
    char device[deviceNameSize];
    PortDeviceName(name[0], device, sizeof device);
    shown += std::string(" (") + device + ")";
  }
  *problem = "порт " + PrintableText(shown) + " не открылся: " + PortErrorText(port.LastError());
  return -1;
}

Outcome RunProcedure(FlashJob job, RunContext& run, uint8_t* coefficients) {
  switch (job) {
    case FlashJob::firmware:
      return LoadFirmware(run, BuiltInFirmwareTables());
    case FlashJob::write:
      return WriteCoefficients(run, coefficientTable);
    case FlashJob::reset:
      return ResetCoefficients(run, BuiltInFirmwareTables());
    case FlashJob::verify:
      return VerifyFirmware(run, BuiltInFirmwareTables());
    case FlashJob::saveCoefficients:
      return ReadCoefficients(run, coefficients);
    case FlashJob::none:
      break;  // the parser lets no run without a job through
  }
  return Outcome::failed;
}

// "Не отвечает." alone leaves the operator guessing; what came back after
// the last frame tells the wiring from the device. (Earlier answers do not
// count: a line that dies after Launch once carried a whole load.)
void ExplainNoAnswer(const LineCounts& counts, const DeviceReports& reports) {
  const char* hint = "ничего не пришло в ответ: проверьте кабель, порт и питание устройства";
  if (counts.answered > 0) {
    hint = "в ответ приходят посторонние байты: проверьте скорость линии и помехи";
  } else if (counts.echoed > 0) {
    hint = "приходит только эхо: линия исправна, но загрузчики не отвечают";
  }
  Say(reports, hint);
}

// "Ошибка!!!." alone says only that something failed: name the step and
// what came back.
void ExplainFailure(FlashJob job, const std::string& failure, const DeviceReports& reports) {
  if (!failure.empty()) Say(reports, "не удалось: " + failure);
  if (job == FlashJob::verify) {
    Say(reports, "приложение не запущено: устройство осталось в загрузчике и готово к загрузке "
                 "прошивки");
  }
}

void ExplainEnd(FlashJob job, Outcome outcome, const DeviceLine& line, const std::string& failure,
                const DeviceReports& reports) {
  if (outcome == Outcome::noAnswer) ExplainNoAnswer(line.tracing.LastCounts(), reports);
  if (outcome == Outcome::failed) ExplainFailure(job, failure, reports);
  if (outcome == Outcome::startNotConfirmed) {
    Say(reports, "записано и проверено, но загрузчик всё ещё отвечает: запуск приложения не "
                 "подтверждён");
  }
  if (outcome == Outcome::stopped) Say(reports, "прервано");
}

// The job's reports reach the caller's sinks, and the result keeps count.
void Attach(ReportSinks& sinks, const DeviceReports& reports, DeviceResult& result) {
  sinks.log = [&reports, &result](const char* line) {
    result.lastLine = SplitLogLine(line).text;
    if (reports.log) reports.log(line);
  };
  sinks.page = [&reports, &result](PageWork work, uint32_t address) {
    ++(work == PageWork::written ? result.pagesWritten : result.pagesVerified);
    if (reports.page) reports.page(work, address);
  };
  sinks.trace = [&reports](const char* line) {
    if (reports.trace) reports.trace(line);
  };
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

DeviceResult RunDeviceJob(const DevicePort& port, const DeviceJobSetup& setup,
                          const DeviceReports& reports) {
  DeviceResult result;
  result.port = port.given;
  result.job = setup.job;
  result.started = std::chrono::system_clock::now();
  const auto start = std::chrono::steady_clock::now();

  DeviceLine line(reports.frames);
  setup.stops->Register(setup.slot, &line.run);
  if (OpenPort(line.port, port.device, &result.failure) != 0) {
    setup.stops->Unregister(setup.slot);
    Say(reports, result.failure);
    result.outcome = DeviceOutcome::portNotOpened;
    result.status = exitPortUnusable;
    result.seconds = SecondsSince(start);
    return result;
  }
  DifferenceReport differences;
  Attach(line.run.reports, reports, result);
  differences.Attach(&line.run.reports);

  const Outcome outcome = RunProcedure(setup.job, line.run, setup.coefficients);

  setup.stops->Unregister(setup.slot);
  line.run.reports = ReportSinks{};
  if (reports.ended) reports.ended();
  if (reports.error) differences.Print(reports.error);
  line.tracing.Flush();
  result.failure = outcome == Outcome::failed ? DescribeFailure(line.run.failure) : "";
  ExplainEnd(setup.job, outcome, line, result.failure, reports);
  line.port.Close();
  result.outcome = DeviceOutcomeOf(outcome);
  result.status = ExitStatusOf(outcome);
  result.seconds = SecondsSince(start);
  return result;
}
