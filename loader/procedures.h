// The jobs as fixed sequences of bootloader commands on a run context's link,
// each reporting through the context's sinks. The caller opens the port
// before and closes it after, and clears the context's stop request before
// it starts a job.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "link/device_layout.h"
#include "loader/page_table.h"
#include "loader/run_context.h"

// What a procedure achieved; the job runner (runner/) turns it into the
// job's outcome and exit status.
enum class Outcome {
  started,            // verified, and the application started
  startNotConfirmed,  // verified, but the bootloader still answers
  failed,             // "Ошибка!!!."
  noAnswer,           // "Не отвечает."
  stopped,            // abandoned on request, between two steps
};

// Controllers 1, 2 and 3, each a table with base firmwareBase.
using FirmwareTables = std::array<const PageTable*, controllerCount>;

// A coefficient image's coefficientPagesSize bytes as the table of its two
// pages that WriteCoefficients takes (entry 0 at coefficientPagesStart). It
// points into the image, which must outlive it.
struct CoefficientPages {
  explicit CoefficientPages(const uint8_t* image);
  CoefficientPages(const CoefficientPages&) = delete;
  CoefficientPages& operator=(const CoefficientPages&) = delete;

  const uint8_t* pages[coefficientPageCount];
  PageTable table;
};

Outcome LoadFirmware(RunContext& run, const FirmwareTables& tables);
Outcome WriteCoefficients(RunContext& run, const PageTable& table);
Outcome ResetCoefficients(RunContext& run, const FirmwareTables& tables);
Outcome StartApplication(RunContext& run);

// The pages the firmware load writes and reads back (verify reads the same).
int CountFirmwarePages(const FirmwareTables& tables);

// The two jobs that only read: nothing is erased or written, and no control
// byte (nor the null command that follows one) is sent.

// Reads every present page of the three controllers, as the firmware load
// verifies them, and compares. A controller that differs is read to its end
// and the next ones are still read; each differing page goes to the
// context's difference sink. Returns Outcome::failed when anything differed
// or a read failed, and then sends no Launch: the device stays in its
// bootloader, ready for a load.
Outcome VerifyFirmware(RunContext& run, const FirmwareTables& tables);

// Reads controller 1's two coefficient pages into `image`,
// coefficientPagesSize bytes. The image is complete when the outcome is
// started or startNotConfirmed.
Outcome ReadCoefficients(RunContext& run, uint8_t* image);

// Each controller's application area as read, [firmwareBase, firmwareEnd):
// controller 1's stops short of its coefficient pages.
using FirmwareMemory = std::array<std::vector<uint8_t>, controllerCount>;

// The pages ReadFirmware reads: every page of the three areas.
int CountFirmwareAreaPages();

// Reads every page of the three controllers' areas into `memory`, selecting
// each as VerifyFirmware does, then starts the application. The memory is
// whole when the outcome is started or startNotConfirmed.
Outcome ReadFirmware(RunContext& run, FirmwareMemory* memory);

// Once a stop has been requested, each procedure returns Outcome::stopped
// before its next step without a log line.
