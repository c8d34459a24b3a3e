// Reading controller 1's two coefficient pages, selected as the coefficient
// write selects them, and starting the application again.
#include "link/boot_link.h"
#include "loader/procedure_steps.h"

Outcome ReadCoefficients(RunContext& run, uint8_t* image) {
  BeginJob(run);
  if (const StepResult result = MakeContact(run); Ends(result)) return NoContact(run, result);
  Log(run, LineKind::progress, "Чтение коэффициентов.");
  const StepResult selected = SelectControllerStep(run, coefficientController);
  if (Ends(selected)) return Abandon(run, selected);
  const PageResult pages = ReadEveryPage(run, coefficientPagesStart, coefficientPagesEnd, image);
  if (pages != PageResult::done) return Abandon(run, StepOf(pages));
  return StartApplication(run);
}
