// The three jobs as fixed sequences of bootloader commands on cm, each
// reporting through logMessage. The caller opens the port before and closes
// it after.
#pragma once

#include <array>

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

// Each procedure clears a stop request when it starts (loader/stop_request.h)
// and, once one arrives, returns Outcome::stopped before its next step
// without a log line.
