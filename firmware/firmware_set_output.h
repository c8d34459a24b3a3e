// Keeping what a read-out found as a firmware set: the folder and files that
// ReadFirmwareSet reads, so that loading them puts the same pages back.
#pragma once

#include <string>
#include <vector>

#include "firmware/firmware_set.h"
#include "loader/procedures.h"

// The set the memory holds: every page that is not all erasedByte (an
// erased page is what an absent page leaves), and controller 1's default
// coefficients, as ReadFirmwareSet adds them. Release and digest empty.
FirmwareSet SetFromMemory(const FirmwareMemory& memory);

// The controller's pages within its range as Intel HEX, with the
// platform's line ends.
std::string ControllerHexText(const FirmwareSet& set, int controllerIndex);

enum class SetFolderVerdict {
  ok,          // missing (it will be made), empty, or replacing was asked for
  notEmpty,
  notAFolder,
  unreadable,
};

// Before anything is read from the device.
SetFolderVerdict JudgeSetFolder(const std::string& folder, bool replace);
// "папка не пуста", ...; "" for ok.
const char* SetFolderReason(SetFolderVerdict verdict);

// The three HEX files' paths in `folder`, then release.txt's.
std::vector<std::string> SetFilePaths(const std::string& folder);

struct SetWriteReport {
  bool written = false;
  std::string reason;  // when not written: what failed, with the system's word
};

// Makes the folder when it is missing, then writes the three HEX files and
// last release.txt holding `release` (whole lines), each whole or not at
// all. Existing files are replaced only when `replace`.
SetWriteReport WriteFirmwareSet(const std::string& folder, const FirmwareSet& set,
                                const std::string& release, bool replace);
