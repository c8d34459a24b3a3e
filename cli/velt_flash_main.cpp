// velt-flash: the three jobs of the window, from the command line, for
// production lines and scripts.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/firmware_choice.h"
#include "cli/flash_arguments.h"
#include "cli/flash_job.h"
#include "cli/port_listing.h"
#include "cli/terminal.h"
#include "firmware/firmware_images.h"
#include "link/port_identity.h"
#include "link/printable_text.h"
#include "firmware/firmware_set_output.h"
#include "record/same_file.h"
#include "runner/exit_status.h"
#include "runner/job_identity.h"

namespace {

int UsageError(const std::string& error) {
  std::fprintf(stderr, "velt-flash: %s\nСправка: velt-flash --help\n",
               PrintableText(error).c_str());
  return exitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareConsole();
  FlashArguments arguments;
  std::string error;
  if (ParseFlashArguments(argc, argv, &arguments, &error) != 0) return UsageError(error);
  if (arguments.help) {
    std::fputs(flashUsage, stdout);
    return exitStarted;
  }
  if (arguments.version) {
    std::printf("velt-flash %s\n", VELT_VERSION);
    // What the job record's firmware_sha256 column says of this program.
    std::printf("прошивка: sha256 %s\n", FirmwareSha256(BuiltInFirmwareTables()).c_str());
    return exitStarted;
  }
  if (arguments.listPorts) return PrintPortList(ListPorts(), stdout, stderr);
  if (arguments.firmwareInfo) return PrintFirmwareInfo(arguments.firmwareDir);
  const std::vector<DevicePort> ports = DevicePortsFor(arguments.ports);
  // Two words for one port (its listed name and its path) would fight over it.
  std::vector<std::string> opened;
  for (const DevicePort& port : ports) opened.push_back(PortIdentity(OpenedName(port)));
  if (CheckPortsDistinct(opened, arguments.ports, &error) != 0) return UsageError(error);
  // A row appended to the coefficient file, or coefficients or a set saved
  // over the record, would destroy one of them.
  const bool readOut = arguments.job == JobKind::readFirmware;
  const std::vector<std::string> files =
      readOut ? SetFilePaths(arguments.files.front()) : arguments.files;
  const char* fileWord = readOut ? "файл набора прошивок" : "файл коэффициентов";
  for (const std::string& file : files) {
    if (!arguments.recordPath.empty() && SameFile(arguments.recordPath, file)) {
      return UsageError(std::string("журнал работ (--record) и ") + fileWord + " - один файл: " +
                        file);
    }
  }
  return RunFlashJob(arguments, ports);
}
