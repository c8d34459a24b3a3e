// Reading controller 1's two coefficient pages, selected as the coefficient
// write selects them, and starting the application again.
#include <cstring>

#include "link/boot_link.h"
#include "loader/procedure_steps.h"

namespace {

int ReadPages(RunContext& run, uint8_t* image) {
  // Every page is read, whatever it holds: a table over the image itself
  // makes each one present.
  const uint8_t* slots[coefficientPageCount];
  for (int k = 0; k < coefficientPageCount; ++k) slots[k] = image + k * pageSize;
  const PageTable pages{slots, coefficientPageCount};
  return ForEachPresentPage(run, pages, coefficientPagesStart, coefficientPagesEnd,
                            coefficientPagesStart, PageWork::verified,
                            [&](uint32_t address, const uint8_t*) {
                              if (const int result = ReadPageStep(run, address)) return result;
                              std::memcpy(image + (address - coefficientPagesStart), PageRead(run),
                                          pageSize);
                              return 0;
                            });
}

}  // namespace

Outcome ReadCoefficients(RunContext& run, uint8_t* image) {
  BeginJob(run);
  if (const int result = MakeContact(run)) return NoContact(run, result);
  Log(run, "@C4Чтение коэффициентов.");
  if (const int result = SelectControllerStep(run, coefficientController)) {
    return Abandon(run, result);
  }
  if (const int result = ReadPages(run, image)) return Abandon(run, result);
  return StartApplication(run);
}
