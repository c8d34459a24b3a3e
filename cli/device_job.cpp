#include "cli/device_job.h"

#include "cli/reading_jobs.h"
#include "link/boot_link.h"
#include "link/com_port.h"

namespace {

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
void ExplainFailure(JobKind kind, const std::string& failure, const DeviceReports& reports) {
  if (!failure.empty()) Say(reports, "не удалось: " + failure);
  if (kind == JobKind::verify) {
    Say(reports, "приложение не запущено: устройство осталось в загрузчике и готово к загрузке "
                 "прошивки");
  }
}

void ExplainEnd(const JobResult& result, const DeviceLine& line, const DeviceReports& reports) {
  switch (result.outcome) {
    case JobOutcome::portNotOpened:
      Say(reports, result.failure);
      break;
    case JobOutcome::noAnswer:
      ExplainNoAnswer(line.tracing.LastCounts(), reports);
      break;
    case JobOutcome::failed:
      ExplainFailure(result.kind, result.failure, reports);
      break;
    case JobOutcome::startNotConfirmed:
      Say(reports, "записано и проверено, но загрузчик всё ещё отвечает: запуск приложения не "
                   "подтверждён");
      break;
    case JobOutcome::stopped:
      Say(reports, "прервано");
      break;
    case JobOutcome::started:
    case JobOutcome::fileRejected:
      break;
  }
}

}  // namespace

JobResult RunDeviceJob(const Job& job, const DevicePort& port, const DeviceJobSetup& setup,
                       const DeviceReports& reports) {
  DeviceLine line(reports.frames);
  line.run.reports.log = reports.log;
  line.run.reports.page = reports.page;
  line.run.reports.trace = [&reports](const char* text) {
    if (reports.trace) reports.trace(text);
  };
  DifferenceReport differences;
  differences.Attach(&line.run.reports);

  setup.stops->Register(setup.slot, &line.run);
  const JobResult result = RunJob(job, {port.given, port.device}, line.port, line.run);
  setup.stops->Unregister(setup.slot);

  line.run.reports = ReportSinks{};
  // The probe's times and its adapter, after its lines for the controllers.
  for (const std::string& said : result.probeLines) {
    if (reports.log) reports.log(LineKind::progress, said.c_str());
  }
  if (result.outcome != JobOutcome::portNotOpened) {
    if (reports.ended) reports.ended();
    if (reports.error) differences.Print(reports.error);
    line.tracing.Flush();
  }
  ExplainEnd(result, line, reports);
  return result;
}
