// Reading controller 1's two coefficient pages, selected as the coefficient
// write selects them, and starting the application again.
#include <cstring>

#include "link/boot_link.h"
#include "loader/procedure_steps.h"
#include "loader/report.h"

namespace {

constexpr uint32_t coefficientPages[] = {0x7000, 0x7040};

int ReadPages(uint8_t* image) {
  static uint8_t readBuffer[linkBufferSize];
  for (const uint32_t address : coefficientPages) {
    if (StopRequested()) return stepStopped;
    if (const int result = cm.ReadPage(address, readBuffer)) return result;
    std::memcpy(image + (address - coefficientPages[0]), readBuffer + readAnswerHeaderLength,
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
