#include "app/window_firmware.h"

#include <FL/Fl_Button.H>

#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/program_options.h"
#include "firmware/firmware_images.h"
#include "link/printable_text.h"
#include "runner/load_firmware_set.h"

std::string windowFirmwareRelease;

namespace {

const char* const firmwareOption = "--firmware";
// Enough of the digest to tell two releases apart on the line.
constexpr size_t shownDigestLength = 12;

// Kept for the life of the program: firmwareTables point into it.
FirmwareSet windowSet;

// The folder's last name, for a set without a release line.
std::string FolderName(const std::string& folder) {
  std::string name = folder;
  while (name.size() > 1 && (name.back() == '/' || name.back() == '\\')) name.pop_back();
  const size_t slash = name.find_last_of("/\\");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

std::optional<std::string> FirmwareFromArguments(int argc, const char* const* argv) {
  return OptionValue(argc, argv, firmwareOption);
}

void LoadWindowFirmware(const std::optional<std::string>& folder) {
  firmwareTables = BuiltInFirmwareTables();
  windowFirmwareRelease.clear();
  if (!folder) return;
  FirmwareSetProblem problem;
  if (folder->empty()) {
    problem.file = firmwareOption;
    problem.reason = "нет папки набора прошивок";
  } else if (LoadFirmwareSet(*folder, windowSet, problem) == FirmwareSetStatus::ok) {
    firmwareTables = SetTables(windowSet);
    windowFirmwareRelease = windowSet.release;
    const std::string name = windowSet.release.empty() ? FolderName(*folder) : windowSet.release;
    AppendSplitLogLine("@C4Прошивки: " + PrintableText(name) + ", sha256 " +
                       windowSet.sha256.substr(0, shownDigestLength) + ".");
    return;
  }
  AppendSplitLogLine("@C1Набор прошивок не принят: " +
                     PrintableText(DescribeFirmwareSetProblem(problem)) + ".");
  loadFirmwareButton->deactivate();
}
