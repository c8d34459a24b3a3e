#include "cli/port_listing.h"

#include <algorithm>

#include "cli/flash_arguments.h"
#include "cli/text_columns.h"
#include "link/com_port.h"
#include "link/printable_text.h"
#include "runner/exit_status.h"

namespace {

// Between the name column and the description.
constexpr int columnGap = 2;
constexpr int deviceNameSize = 256;

// Only a bare name is looked up, so that a path never costs a walk of the
// machine's ports.
bool LooksLikePortName(const std::string& port) {
  return !IsPortDigit(port) && port.find_first_of("/\\") == std::string::npos;
}

}  // namespace

int PrintPortList(const std::vector<PortInfo>& ports, std::FILE* out, std::FILE* notes) {
  if (ports.empty()) {
    std::fputs("velt-flash: последовательные порты не найдены\n", notes);
    return exitStarted;
  }
  // Columns, not bytes: a description may be Russian.
  int width = 0, describedWidth = 0;
  for (const PortInfo& port : ports) {
    width = std::max(width, TextColumns(PrintableText(port.name)));
    describedWidth = std::max(describedWidth, TextColumns(PrintableText(port.description)));
  }
  for (const PortInfo& port : ports) {
    const std::string name = PrintableText(port.name);
    const std::string description = PrintableText(port.description);
    std::string line = name;
    if (!port.byPath.empty()) {
      const int descriptionColumns = describedWidth > 0 ? describedWidth + columnGap : 0;
      line = PadColumns(name, width + columnGap) + PadColumns(description, descriptionColumns) +
             PrintableText(port.byPath);
    } else if (!description.empty()) {
      line = PadColumns(name, width + columnGap) + description;
    }
    std::fprintf(out, "%s\n", line.c_str());
  }
  return exitStarted;
}

std::string PortDeviceFor(const std::string& port) {
  PortInfo found;
  if (LooksLikePortName(port) && FindPort(ListPorts(), port, &found)) return found.device;
  return port;
}

std::vector<DevicePort> DevicePortsFor(const std::vector<std::string>& given) {
  std::vector<DevicePort> ports;
  for (const std::string& word : given) ports.push_back({word, PortDeviceFor(word)});
  return ports;
}

std::string OpenedName(const DevicePort& port) {
  if (!IsPortDigit(port.device)) return port.device;
  char device[deviceNameSize];
  PortDeviceName(port.device[0], device, sizeof device);
  return device;
}
