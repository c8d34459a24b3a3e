// Reading controller 1's two coefficient pages, selected as the coefficient
// write selects them, and starting the application again.
#include <cstring>

#include "link/boot_link.h"
#include "loader/procedure_steps.h"
#include "loader/report.h"

namespace {

int ReadPages(uint8_t* image) {
  static uint8_t readBuffer[linkBufferSize];
  for (uint32_t address = coefficientPagesStart; address < coefficientPagesEnd;
       address += pageSize) {
    if (StopRequested()) return stepStopped;
    if (const int result = cm.ReadPage(address, readBuffer)) return result;
    std::memcpy(image + (address - coefficientPagesStart), readBuffer + readAnswerHeaderLength,
                pageSize);
    ReportPage(PageWork::verified, address);
  }
  return 0;
}

}  // namespace

Outcome ReadCoefficients(uint8_t* image) {
  ClearStopRequest();
  cm.noContact = 0;
  if (const int result = MakeContact()) return NoContact(result);
  logMessage("@C4Чтение коэффициентов.");
  if (const int result = SelectChannelStep(channelController1)) return Abandon(result);
  if (const int result = ReadPages(image)) return Abandon(result);
  return StartApplication();
}
