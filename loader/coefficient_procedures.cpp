// Writing controller 1's two coefficient pages, from a file's image or from
// the built-in defaults; then verifying them and starting the application.
#include "link/boot_link.h"
#include "loader/procedure_steps.h"

namespace {

constexpr int writeNullCommandPauseMilliseconds = 50;

// Where the reset and the write differ.
struct CoefficientJob {
  const PageTable* table;
  uint32_t base;
  const char* startLine;
  const char* writtenLine;
  int nullCommandPause;
};

StepResult WritePages(RunContext& run, const CoefficientJob& job) {
  return StepOf(WritePageRange(run, *job.table, coefficientPagesStart, coefficientPagesEnd,
                               job.base));
}

StepResult VerifyPages(RunContext& run, const CoefficientJob& job) {
  return StepOf(VerifyPageRange(run, *job.table, coefficientPagesStart, coefficientPagesEnd,
                                job.base));
}

StepResult WriteAndVerify(RunContext& run, const CoefficientJob& job) {
  StepResult result = SelectControllerStep(run, coefficientController);
  if (!Ends(result)) result = ControlByteStep(run, controlByteBeforeWrite);
  if (!Ends(result)) result = NullCommandStep(run, job.nullCommandPause);
  if (!Ends(result)) result = WritePages(run, job);
  if (!Ends(result)) result = SyncStep(run);
  if (Ends(result)) return result;
  Log(run, LineKind::progress, job.writtenLine);
  Log(run, LineKind::progress, "Проверка.");
  result = SelectControllerStep(run, coefficientController);
  if (!Ends(result)) result = VerifyPages(run, job);
  if (!Ends(result)) result = ControlByteStep(run, controlByteAfterVerify);
  if (!Ends(result)) result = NullCommandStep(run, 0);
  return result;
}

Outcome RunCoefficientJob(RunContext& run, const CoefficientJob& job) {
  BeginJob(run);
  if (const StepResult result = MakeContact(run); Ends(result)) return NoContact(run, result);
  Log(run, LineKind::progress, job.startLine);
  if (const StepResult result = WriteAndVerify(run, job); Ends(result)) {
    return Abandon(run, result);
  }
  Log(run, LineKind::progress, "Проверка прошла.");
  return StartApplication(run);
}

}  // namespace

CoefficientPages::CoefficientPages(const uint8_t* image) : table{pages, coefficientPageCount} {
  for (int k = 0; k < coefficientPageCount; ++k) pages[k] = image + k * pageSize;
}

Outcome ResetCoefficients(RunContext& run, const FirmwareTables& tables) {
  const CoefficientJob reset{tables[0], firmwareBase, "Сброс коэффициентов.",
                             "Коэффициенты сброшены.", 0};
  return RunCoefficientJob(run, reset);
}

Outcome WriteCoefficients(RunContext& run, const PageTable& table) {
  // A file's table starts at the first coefficient page.
  const CoefficientJob write{&table, coefficientPagesStart, "Запись коэффициентов.",
                             "Коэффициенты прошились.", writeNullCommandPauseMilliseconds};
  return RunCoefficientJob(run, write);
}
