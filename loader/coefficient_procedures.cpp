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
  bool flagNoContact;  // the write worker keeps its file when nothing was reached
};

int WriteAndVerify(RunContext& run, const CoefficientJob& job) {
  if (const int result = SelectControllerStep(run, coefficientController)) return result;
  if (const int result = ControlByteStep(run, controlByteBeforeWrite)) return result;
  if (const int result = NullCommandStep(run, job.nullCommandPause)) return result;
  if (const int result = WritePageRange(run, *job.table, coefficientPagesStart,
                                        coefficientPagesEnd, job.base)) {
    return result;
  }
  if (const int result = SyncStep(run)) return result;
  Log(run, job.writtenLine);
  Log(run, "@C4Проверка.");
  if (const int result = SelectControllerStep(run, coefficientController)) return result;
  if (const int result = VerifyPageRange(run, *job.table, coefficientPagesStart,
                                         coefficientPagesEnd, job.base)) {
    return result;
  }
  if (const int result = ControlByteStep(run, controlByteAfterVerify)) return result;
  return NullCommandStep(run, 0);
}

Outcome RunCoefficientJob(RunContext& run, const CoefficientJob& job) {
  BeginJob(run);
  if (const int result = MakeContact(run)) {
    const Outcome outcome = NoContact(run, result);
    if (outcome == Outcome::noAnswer && job.flagNoContact) run.link.noContact = 1;
    return outcome;
  }
  Log(run, job.startLine);
  if (const int result = WriteAndVerify(run, job)) return Abandon(run, result);
  Log(run, "@C4Проверка прошла.");
  return StartApplication(run);
}

}  // namespace

Outcome ResetCoefficients(RunContext& run, const FirmwareTables& tables) {
  const CoefficientJob reset{tables[0], firmwareBase, "@C4Сброс коэффициентов.",
                             "@C4Коэффициенты сброшены.", 0, false};
  return RunCoefficientJob(run, reset);
}

Outcome WriteCoefficients(RunContext& run, const PageTable& table) {
  // A file's table starts at the first coefficient page.
  const CoefficientJob write{&table, coefficientPagesStart, "@C4Запись коэффициентов.",
                             "@C4Коэффициенты прошились.", writeNullCommandPauseMilliseconds,
                             true};
  return RunCoefficientJob(run, write);
}
