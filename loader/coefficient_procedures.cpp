// Writing controller 1's two coefficient pages, from a file's image or from
// the built-in defaults; then verifying them and starting the application.
#include "link/boot_link.h"
#include "loader/firmware/firmware_images.h"
#include "loader/procedure_steps.h"
#include "loader/report.h"

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

int WriteAndVerify(const CoefficientJob& job) {
  if (const int result = SelectChannelStep(channelController1)) return result;
  if (const int result = ControlByteStep(controlByteBeforeWrite)) return result;
  if (const int result = NullCommandStep(job.nullCommandPause)) return result;
  if (const int result = WritePageRange(*job.table, coefficientPagesStart, coefficientPagesEnd, job.base)) {
    return result;
  }
  if (const int result = SyncStep()) return result;
  logMessage(job.writtenLine);
  logMessage("@C4Проверка.");
  if (const int result = SelectChannelStep(channelController1)) return result;
  if (const int result =
          VerifyPageRange(*job.table, coefficientPagesStart, coefficientPagesEnd, job.base)) {
    return result;
  }
  if (const int result = ControlByteStep(controlByteAfterVerify)) return result;
  return NullCommandStep(0);
}

Outcome RunCoefficientJob(const CoefficientJob& job) {
  ClearStopRequest();
  cm.noContact = 0;
  if (const int result = MakeContact()) {
    const Outcome outcome = NoContact(result);
    if (outcome == Outcome::noAnswer && job.flagNoContact) cm.noContact = 1;
    return outcome;
  }
  logMessage(job.startLine);
  if (const int result = WriteAndVerify(job)) return Abandon(result);
  logMessage("@C4Проверка прошла.");
  return StartApplication();
}

}  // namespace

Outcome ResetCoefficients(const FirmwareTables& tables) {
  const CoefficientJob reset{tables[0], firmwareBase, "@C4Сброс коэффициентов.",
                             "@C4Коэффициенты сброшены.", 0, false};
  return RunCoefficientJob(reset);
}

Outcome WriteCoefficients(const PageTable& table) {
  // A file's table starts at the first coefficient page.
  const CoefficientJob write{&table, coefficientPagesStart, "@C4Запись коэффициентов.",
                             "@C4Коэффициенты прошились.", writeNullCommandPauseMilliseconds, true};
  return RunCoefficientJob(write);
}
