// Reading controller 1's two coefficient pages, selected as the coefficient
// write selects them, and starting the application again.
#include <cstring>

#include "link/boot_link.h"
#include "loader/procedure_steps.h"

namespace {

int ReadPages(RunContext& run, uint8_t* image) {
  for (uint32_t address = coefficientPagesStart; address < coefficientPagesEnd;
       address += pageSize) {
    if (StopRequested(run)) return stepStopped;
    run.step.kind = StepKind::read;
    run.step.address = address;
    if (const int result = run.link.ReadPage(address, run.readBuffer)) return result;
    std::memcpy(image + (address - coefficientPagesStart),
                run.readBuffer + readAnswerHeaderLength, pageSize);
    ReportPage(run, PageWork::verified, address);
  }
  return 0;
}

}  // namespace

Outcome ReadCoefficients(RunContext& run, uint8_t* image) {
  BeginJob(run);
  if (const int result = MakeContact(run)) return NoContact(run, result);
  Log(run, "@C4Чтение коэффициентов.");
  if (const int result = SelectChannelStep(run, channelController1)) return Abandon(run, result);
  if (const int result = ReadPages(run, image)) return Abandon(run, result);
  return StartApplication(run);
}
