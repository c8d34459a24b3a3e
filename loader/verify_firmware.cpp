// Checking the three controllers against the built-in images without
// writing anything: the firmware load's verification, minus its control
// bytes, going on past a differing page so that every difference is seen.
#include <atomic>
#include <cstdio>

#include "link/boot_link.h"
#include "loader/firmware/firmware_images.h"
#include "loader/procedure_steps.h"
#include "loader/report.h"

namespace {

std::atomic<DifferenceSink> differenceSink{nullptr};

// Fills `difference` and returns true when the read page differs.
bool Compare(const uint8_t* expected, const uint8_t* found, PageDifference* difference) {
  difference->differingBytes = 0;
  for (int i = 0; i < pageSize; ++i) {
    if (expected[i] == found[i]) continue;
    if (difference->differingBytes++ == 0) {
      difference->firstOffset = i;
      difference->expected = expected[i];
      difference->found = found[i];
    }
  }
  return difference->differingBytes > 0;
}

// Reads every present page of the controller's range. Returns 0 or the
// failing read's result; *differs tells whether any page differed.
int ComparePages(const FirmwareController& controller, const PageTable& table, bool* differs) {
  static uint8_t readBuffer[linkBufferSize];
  for (uint32_t address = firmwareBase; address < controller.rangeEnd; address += pageSize) {
    const uint8_t* expected = PresentPage(table, address, firmwareBase);
    if (expected == nullptr) continue;
    if (StopRequested()) return stepStopped;
    if (const int result = cm.ReadPage(address, readBuffer)) return result;
    PageDifference difference{controller.number, address, 0, 0, 0, 0};
    if (Compare(expected, readBuffer + readAnswerHeaderLength, &difference)) {
      *differs = true;
      if (DifferenceSink sink = differenceSink) sink(difference);
    }
    ReportPage(PageWork::verified, address);
  }
  return 0;
}

int CheckController(const FirmwareController& controller, const PageTable& table, bool* differs) {
  char line[96];
  std::snprintf(line, sizeof line, "@C4Контроллер %d - проверка", controller.number);
  logMessage(line);
  const int selected = controller.channel == 0 ? SelectController3Step()
                                               : SelectChannelStep(controller.channel);
  if (selected != 0) return selected;
  if (const int result = ComparePages(controller, table, differs)) return result;
  return controller.channel == 0 ? SyncStep() : 0;
}

}  // namespace

void SetDifferenceSink(DifferenceSink sink) { differenceSink = sink; }

Outcome VerifyFirmware(const FirmwareTables& tables) {
  ClearStopRequest();
  cm.noContact = 0;
  if (const int result = MakeContact()) return NoContact(result);
  bool anyDiffers = false;
  for (int k = 0; k < 3; ++k) {
    bool differs = false;
    if (const int result = CheckController(firmwareControllers[k], *tables[k], &differs)) {
      return Abandon(result);
    }
    if (differs) logMessage("@C1Ошибка!!!.");
    anyDiffers = anyDiffers || differs;
  }
  if (!anyDiffers) logMessage("@C4Проверка прошла.");
  // Nothing was changed, so the device is left running as it was found,
  // whatever the comparison showed.
  const Outcome started = StartApplication();
  return anyDiffers ? Outcome::failed : started;
}
