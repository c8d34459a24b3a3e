// The three jobs as fixed sequences of bootloader commands on cm, each
// reporting through logMessage. The caller opens the port before and closes
// it after.
#pragma once

#include <array>
#include <cstdint>

#include "loader/page_table.h"
#include "loader/stop_request.h"

// What a procedure achieved; the command line turns it into an exit status,
// the window only shows the log.
enum class Outcome {
  started,            // verified, and the application started
  startNotConfirmed,  // verified, but the bootloader still answers
  failed,             // "Ошибка!!!."
  noAnswer,           // "Не отвечает."
  stopped,            // abandoned on request, between two steps
};

// Controllers 1, 2 and 3, each a table with base firmwareBase.
using FirmwareTables = std::array<const PageTable*, 3>;

Outcome LoadFirmware(const FirmwareTables& tables);
Outcome WriteCoefficients(const PageTable& table);
Outcome ResetCoefficients(const FirmwareTables& tables);
Outcome StartApplication();

// The two jobs that only read: nothing is erased or written, and no control
// byte (nor the null command that follows one) is sent.

// One page that read back different from the built-in image.
struct PageDifference {
  int controller;      // 1..3
  uint32_t address;    // of the page
  int differingBytes;  // of its 64
  int firstOffset;     // of the first differing byte within the page
  uint8_t expected;    // the image's byte there
  uint8_t found;       // the device's
};
using DifferenceSink = void (*)(const PageDifference& difference);
// Installed by the front end; without one, differences go unreported.
void SetDifferenceSink(DifferenceSink sink);

// Reads every present page of the three controllers, as the firmware load
// verifies them, and compares. A controller that differs is read to its end
// and the next ones are still read; each differing page goes to the sink.
// Returns Outcome::failed when anything differed or a read failed.
Outcome VerifyFirmware(const FirmwareTables& tables);

// Controller 1's two coefficient pages, [coefficientPagesStart, coefficientPagesEnd).
constexpr uint32_t coefficientPagesStart = 0x7000;
constexpr int coefficientPagesSize = 128;
constexpr uint32_t coefficientPagesEnd = coefficientPagesStart + coefficientPagesSize;

// Reads controller 1's two coefficient pages (0x7000, 0x7040) into `image`,
// coefficientPagesSize bytes. The image is complete when the outcome is
// started or startNotConfirmed.
Outcome ReadCoefficients(uint8_t* image);

// Each procedure clears a stop request when it starts (loader/stop_request.h)
// and, once one arrives, returns Outcome::stopped before its next step
// without a log line.
