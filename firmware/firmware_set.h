// A firmware set: a folder with controller1.hex, controller2.hex and
// controller3.hex in Intel HEX and, if the firm wants, release.txt, whose
// first line names the release for people. One reader turns it into the
// three controllers' page tables, for the build (hex_to_pages) and for the
// programs at run time alike, and refuses anything that does not fit the
// device, naming the file, the line and the reason.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "firmware/intel_hex.h"
#include "link/device_layout.h"
#include "loader/page_table.h"
#include "loader/procedures.h"

extern const char* const firmwareSetFiles[controllerCount];  // "controller1.hex", ...
extern const char firmwareReleaseFile[];                     // "release.txt"

// A fence against a wrong, huge file: the largest range, 24 KiB, takes about
// 70 KiB of HEX text, so no file of a real set comes near this.
constexpr long firmwareFileLimit = 1L << 20;
// The release line is shown in the log's first line and recorded.
constexpr int releaseLineLimit = 64;  // characters, not bytes

// One controller's table over its application area, with pages of its own.
// Entry k is the page at firmwareBase + 64 k, as in the built-in tables; a
// copy points into its own pages.
struct ControllerPages {
  ControllerPages();
  ControllerPages(const ControllerPages& other);
  ControllerPages& operator=(const ControllerPages& other);
  // A moved vector keeps its buffer, so the moved table's pointers stay good.
  ControllerPages(ControllerPages&& other) noexcept = default;
  ControllerPages& operator=(ControllerPages&& other) noexcept = default;

  // Makes the entry present; its bytes are as the storage holds them.
  void MarkPresent(int entry);
  uint8_t* PageBytes(int entry) { return storage.data() + size_t(entry) * pageSize; }

  std::vector<uint8_t> storage;         // every entry's 64 bytes, 0xFF where not given
  std::vector<const uint8_t*> entries;  // null where the set has no page
  PageTable table;                      // over `entries`
};

struct FirmwareSet {
  std::array<ControllerPages, controllerCount> controllers;  // 1, 2 and 3
  std::string release;  // release.txt's first line; empty without the file
  std::string sha256;   // as the record's firmware_sha256; LoadFirmwareSet (runner/) fills it
};

// Puts controller 1's built-in default coefficients into its two pages: a
// set never carries coefficients of its own.
void AddDefaultCoefficients(ControllerPages& pages);

// The folder as the set's messages and paths name it: "set/" is "set".
std::string SetFolder(const std::string& given);

// The set's tables as the jobs take them; valid while the set lives.
FirmwareTables SetTables(const FirmwareSet& set);

// Where a controller's set bytes may lie: controller 1 below its coefficient
// pages, 2 and 3 up to the end of the application area.
HexRange ControllerRange(int controllerIndex);

enum class FirmwareSetStatus {
  ok,
  notAFolder,      // the path does not exist or is a file
  notASet,         // a folder without any of the three HEX files
  missingFile,     // one or two of the three are missing
  unreadableFile,  // a file that does not open or read
  fileTooLarge,    // larger than firmwareFileLimit
  badHex,          // a fault in a HEX file; `hex` says which
  noData,          // a HEX file without a data byte
  badRelease,      // release.txt's first line: not UTF-8, too long, control characters
};

struct FirmwareSetProblem {
  std::string file;     // the path at fault: the folder or a file in it
  int line = 0;         // 1-based; 0 when the file or folder as a whole is at fault
  std::string reason;   // in the operator's words
  HexProblem hex;       // for badHex
};

// Reads the set in `folder` into `set`: each controller's bytes cut into its
// pages (a page the files cover in part gets 0xFF in its other bytes, a page
// they do not touch stays absent), controller 1's default coefficient pages
// added. Leaves set.sha256 empty. On any status but ok, `set` is unspecified
// and `problem` says what is wrong.
FirmwareSetStatus ReadFirmwareSet(const std::string& folder, FirmwareSet& set,
                                  FirmwareSetProblem& problem);

// "ПАПКА/controller2.hex, строка 7: неверная контрольная сумма", or without
// the line when the file as a whole is at fault.
std::string DescribeFirmwareSetProblem(const FirmwareSetProblem& problem);
