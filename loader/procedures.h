// The three jobs as fixed sequences of bootloader commands on cm, each
// reporting through logMessage. The caller opens the port before and closes
// it after.
#pragma once

#include <array>

#include "loader/page_table.h"

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

// Asks a running procedure to stop before its next step (the window's exit
// while an operation runs). Each procedure clears the request when it starts.
void RequestStop();
