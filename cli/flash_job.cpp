#include "cli/flash_job.h"

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
#include "loader/firmware/firmware_images.h"
#include "loader/procedures.h"
#include "loader/stop_request.h"

namespace {

// The address ranges the procedures move, for the progress line's totals.
constexpr uint32_t controller1FirmwareEnd = coefficientPagesStart;
constexpr uint32_t applicationEnd = 0x8000;
constexpr int deviceNameSize = 256;

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

int OpenPort(const std::string& port) {
  const bool digit = IsPortDigit(port);
  if ((digit ? comPort.Open(port[0]) : comPort.OpenDevice(port.c_str())) == 0) return 0;
  std::string name = port;
  if (digit) {
    char device[deviceNameSize];
    PortDeviceName(port[0], device, sizeof device);
    name += std::string(" (") + device + ")";
  }
  std::fprintf(stderr, "velt-flash: порт %s не открылся: %s\n", name.c_str(),
               PortErrorText(comPort.LastError()));
  return -1;
}

Outcome RunProcedure(FlashJob job) {
  switch (job) {
    case FlashJob::firmware:
      return LoadFirmware(BuiltInFirmwareTables());
    case FlashJob::write:
      return WriteCoefficients(coefficientTable);
    case FlashJob::reset:
      return ResetCoefficients(BuiltInFirmwareTables());
    case FlashJob::verify:
      return VerifyFirmware(BuiltInFirmwareTables());
    case FlashJob::saveCoefficients:
      return ReadCoefficients(CoefficientsRead());
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

void ExplainEnd(Outcome outcome, const LineCounts& counts) {
  if (outcome == Outcome::noAnswer) ExplainNoAnswer(counts);
  if (outcome == Outcome::startNotConfirmed) {
    std::fprintf(stderr, "velt-flash: записано и проверено, но загрузчик всё ещё отвечает: "
                         "запуск приложения не подтверждён\n");
  }
  if (outcome == Outcome::stopped) std::fprintf(stderr, "velt-flash: прервано\n");
}

// Ctrl-C lets the procedure end between two steps, so the device never sees
// a frame cut in half and the port is closed on the way out.
void StopOnInterrupt(int) { RequestStop(); }

}  // namespace

int RunFlashJob(const FlashArguments& arguments) {
  // The file is judged before the port is touched: a bad file sends nothing.
  if (arguments.job == FlashJob::write) {
    int badLine = 0;
    const int result = ReadCoefficientFile(arguments.file.c_str(), &badLine);
    if (result != coefficientFileOk) {
      std::fprintf(stderr, "velt-flash: файл коэффициентов %s отклонён: %s\n",
                   arguments.file.c_str(), CoefficientFileProblem(result, badLine).c_str());
      return exitFileRejected;
    }
  }
  if (arguments.job == FlashJob::saveCoefficients) {
    if (const int status = CheckSaveTarget(arguments)) return status;
  }
  if (OpenPort(arguments.port) != 0) return exitPortUnusable;

  TracingLine tracing(&comPort, arguments.trace ? stderr : nullptr);
  cm.port = &tracing;
  // A trace on the same terminal would tear the progress line apart.
  const bool terminal = IsTerminal(stdout);
  const bool progress = terminal && !(arguments.trace && IsTerminal(stderr));
  const int pages = PagesOf(arguments.job);
  const bool readsOnly =
      arguments.job == FlashJob::verify || arguments.job == FlashJob::saveCoefficients;
  StartConsoleReport({stdout, terminal, progress, readsOnly ? 0 : pages, pages});
  if (arguments.job == FlashJob::verify) StartDifferenceReport();
  std::signal(SIGINT, StopOnInterrupt);

  const Outcome outcome = RunProcedure(arguments.job);

  std::signal(SIGINT, SIG_DFL);
  EndConsoleReport();
  if (arguments.job == FlashJob::verify) EndDifferenceReport();
  tracing.Flush();
  cm.port = &comPort;
  ExplainEnd(outcome, tracing.LastCounts());
  comPort.Close();
  if (arguments.job == FlashJob::saveCoefficients) return FinishSave(arguments, outcome);
  return ExitStatusOf(outcome);
}
