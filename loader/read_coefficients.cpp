// Reading controller 1's two coefficient pages, selected as the coefficient
// write selects them, and starting the application again.
#include <cstring>

#include "link/boot_link.h"
#include "loader/procedure_steps.h"

namespace {

PageResult ReadPages(RunContext& run, uint8_t* image) {
  // Every page is read, whatever it holds: a table over the image itself
  // makes each one present.
  const CoefficientPages pages(image);
  return ForEachPresentPage(run, pages.table, coefficientPagesStart, coefficientPagesEnd,
                            coefficientPagesStart, PageWork::verified,
                            [&](uint32_t address, const uint8_t*) {
                              const PageResult read = ReadPageStep(run, address);
                              if (read != PageResult::done) return read;
                              std::memcpy(image + (address - coefficientPagesStart), PageRead(run),
                                          pageSize);
                              return PageResult::done;
                            });
}

}  // namespace

Outcome ReadCoefficients(RunContext& run, uint8_t* image) {
  BeginJob(run);
  if (const StepResult result = MakeContact(run); Ends(result)) return NoContact(run, result);
  Log(run, LineKind::progress, "Чтение коэффициентов.");
  const StepResult selected = SelectControllerStep(run, coefficientController);
  if (Ends(selected)) return Abandon(run, selected);
  const PageResult pages = ReadPages(run, image);
  if (pages != PageResult::done) return Abandon(run, StepOf(pages));
  return StartApplication(run);
}
