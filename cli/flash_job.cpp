#include "cli/flash_job.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

#include "cli/console_report.h"
#include "cli/exit_status.h"
#include "cli/reading_jobs.h"
#include "cli/terminal.h"
#include "cli/tracing_line.h"
#include "coeff/coefficient_file.h"
#include "coeff/rejection_reason.h"
#include "link/boot_link.h"
#include "link/com_port.h"
#include "link/printable_text.h"
#include "loader/firmware/firmware_images.h"
#include "loader/procedures.h"

namespace {

// The address ranges the procedures move, for the progress line's totals.
constexpr uint32_t controller1FirmwareEnd = coefficientPagesStart;
constexpr uint32_t applicationEnd = 0x8000;
constexpr int deviceNameSize = 256;

// One device's line, from the port up: what a job on it touches and nothing
// else does.
struct DeviceLine {
  explicit DeviceLine(std::FILE* traceStream)
      : tracing(&port, traceStream), link(&tracing), run(link) {}
  ComPort port;
  TracingLine tracing;
  BootLink link;
  RunContext run;
  uint8_t coefficients[coefficientPagesSize] = {};  // what save-coefficients reads
};

// The job a stop signal stops; set while it runs.
std::atomic<RunContext*> interruptible{nullptr};

// Pages the job writes, and reads back again.
int PagesOf(FlashJob job) {
  const FirmwareTables tables = BuiltInFirmwareTables();
  if (job == FlashJob::firmware || job == FlashJob::verify) {
    return CountPresentPages(*tables[0], firmwareBase, controller1FirmwareEnd, firmwareBase) +
           CountPresentPages(*tables[1], firmwareBase, applicationEnd, firmwareBase) +
           CountPresentPages(*tables[2], firmwareBase, applicationEnd, firmwareBase);
  }
  if (job == FlashJob::reset) {
    return CountPresentPages(*tables[0], coefficientBase, coefficientPagesEnd, firmwareBase);
  }
  if (job == FlashJob::saveCoefficients) return coefficientPagesSize / pageSize;
  return CountPresentPages(coefficientTable, coefficientBase, coefficientPagesEnd,
                           coefficientBase);
}

int OpenPort(ComPort& port, const std::string& name) {
  const bool digit = IsPortDigit(name);
  if ((digit ? port.Open(name[0]) : port.OpenDevice(name.c_str())) == 0) return 0;
  std::string shown = name;
  if (digit) {
    char device[deviceNameSize];
    PortDeviceName(name[0], device, sizeof device);
    shown += std::string(" (") + device + ")";
  }
  std::fprintf(stderr, "velt-flash: порт %s не открылся: %s\n", PrintableText(shown).c_str(),
               PortErrorText(port.LastError()));
  return -1;
}

Outcome RunProcedure(FlashJob job, DeviceLine& line) {
  switch (job) {
    case FlashJob::firmware:
      return LoadFirmware(line.run, BuiltInFirmwareTables());
    case FlashJob::write:
      return WriteCoefficients(line.run, coefficientTable);
    case FlashJob::reset:
      return ResetCoefficients(line.run, BuiltInFirmwareTables());
    case FlashJob::verify:
      return VerifyFirmware(line.run, BuiltInFirmwareTables());
    case FlashJob::saveCoefficients:
      return ReadCoefficients(line.run, line.coefficients);
    case FlashJob::none:
      break;  // the parser lets no run without a job through
  }
  return Outcome::failed;
}

// "Не отвечает." alone leaves the operator guessing; what came back after
// the last frame tells the wiring from the device. (Earlier answers do not
// count: a line that dies after Launch once carried a whole load.)
void ExplainNoAnswer(const LineCounts& counts) {
  const char* hint = "ничего не пришло в ответ: проверьте кабель, порт и питание устройства";
  if (counts.answered > 0) {
    hint = "в ответ приходят посторонние байты: проверьте скорость линии и помехи";
  } else if (counts.echoed > 0) {
    hint = "приходит только эхо: линия исправна, но загрузчики не отвечают";
  }
  std::fprintf(stderr, "velt-flash: %s\n", hint);
}

// "Ошибка!!!." alone says only that something failed: name the step and
// what came back.
void ExplainFailure(FlashJob job, const RunContext& run) {
  const std::string failure = DescribeFailure(run.failure);
  if (!failure.empty()) std::fprintf(stderr, "velt-flash: не удалось: %s\n", failure.c_str());
  if (job == FlashJob::verify) {
    std::fprintf(stderr, "velt-flash: приложение не запущено: устройство осталось в "
                         "загрузчике и готово к загрузке прошивки\n");
  }
}

void ExplainEnd(FlashJob job, Outcome outcome, const DeviceLine& line) {
  if (outcome == Outcome::noAnswer) ExplainNoAnswer(line.tracing.LastCounts());
  if (outcome == Outcome::failed) ExplainFailure(job, line.run);
  if (outcome == Outcome::startNotConfirmed) {
    std::fprintf(stderr, "velt-flash: записано и проверено, но загрузчик всё ещё отвечает: "
                         "запуск приложения не подтверждён\n");
  }
  if (outcome == Outcome::stopped) std::fprintf(stderr, "velt-flash: прервано\n");
}

// Ctrl-C and SIGTERM let the procedure end between two steps, so the device
// never sees a frame cut in half and the port is closed on the way out.
void StopOnSignal(int) {
  if (RunContext* run = interruptible) run->stopRequested = true;
}

void CatchStopSignals(bool catchThem) {
  const auto handler = catchThem ? StopOnSignal : SIG_DFL;
  std::signal(SIGINT, handler);
  std::signal(SIGTERM, handler);
}

}  // namespace

int RunFlashJob(const FlashArguments& arguments) {
  // The file is judged before the port is touched: a bad file sends nothing.
  if (arguments.job == FlashJob::write) {
    int badLine = 0;
    const int result = ReadCoefficientFile(arguments.file.c_str(), &badLine);
    if (result != coefficientFileOk) {
      std::fprintf(stderr, "velt-flash: файл коэффициентов %s отклонён: %s\n",
                   PrintableText(arguments.file).c_str(),
                   CoefficientFileProblem(result, badLine).c_str());
      return exitFileRejected;
    }
  }
  if (arguments.job == FlashJob::saveCoefficients) {
    if (const int status = CheckSaveTarget(arguments)) return status;
  }
  DeviceLine line(arguments.trace ? stderr : nullptr);
  if (OpenPort(line.port, arguments.port) != 0) return exitPortUnusable;

  // A trace on the same terminal would tear the progress line apart.
  const bool terminal = IsTerminal(stdout);
  const bool progress = terminal && !(arguments.trace && IsTerminal(stderr));
  const int pages = PagesOf(arguments.job);
  const bool readsOnly =
      arguments.job == FlashJob::verify || arguments.job == FlashJob::saveCoefficients;
  ConsoleReporter console({stdout, terminal, progress, readsOnly ? 0 : pages, pages});
  console.Attach(&line.run.reports);
  DifferenceReport differences;
  differences.Attach(&line.run.reports);
  interruptible = &line.run;
  CatchStopSignals(true);

  const Outcome outcome = RunProcedure(arguments.job, line);

  CatchStopSignals(false);
  interruptible = nullptr;
  console.End();
  differences.Print(stderr);
  line.tracing.Flush();
  ExplainEnd(arguments.job, outcome, line);
  line.port.Close();
  if (arguments.job == FlashJob::saveCoefficients) {
    return FinishSave(arguments, outcome, line.coefficients);
  }
  return ExitStatusOf(outcome);
}
