#include "sim/sim_arguments.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "sim/device_names.h"

const char simUsage[] =
    "usage: velt-sim [options] [--devices N [--device K device-options]...]\n"
    "Simulates the device on a pseudo-terminal and prints the terminal's path.\n"
    "  --link PATH            also make PATH a symlink to it (removed at exit)\n"
    "  --dump DIR             at exit write controller1..3.bin and transcript.txt to DIR\n"
    "device options (and the faults below):\n"
    "  --baud N               pace answers as N baud, 10 bits a byte (default 57600, 0 = unpaced)\n"
    "  --fifo N               hand paced answers over N bytes at a time, as a UART's receive\n"
    "                         FIFO does; an answer's last bytes never wait (default 1)\n"
    "  --fill BYTE            initial memory contents (default 0xFF)\n"
    "  --erase-latency MS     delay before each erase answer\n"
    "  --write-latency MS     delay before each write answer\n"
    "  --stay-launched        SelectController3 does not bring the bootloaders back\n"
    "faults (KIND: query read write erase control null select launch; N counts from 1):\n"
    "  --silent               no echo, no answers\n"
    "  --echo-only            echo, but no bootloader answers\n"
    "  --drop KIND:N[:COUNT]  no answer to COUNT frames of KIND from the Nth on\n"
    "  --corrupt KIND:N[:COUNT]  wrong checksum in those answers\n"
    "  --stray KIND:N[:COUNT]    junk bytes ahead of those answers\n"
    "  --hang-up KIND:N       close the line when the Nth frame of KIND arrives\n"
    "  --bad-read C:ADDRESS   read-back of that page of controller C has a wrong byte\n"
    "  --ignore-launch        the bootloaders ignore Launch\n"
    "a station (several devices from one process):\n"
    "  --devices N            serve N devices (1-32), each with its own pseudo-terminal,\n"
    "                         memory, transcript and faults; prints the N paths in order\n"
    "  --link DIR             makes DIR/dev1 .. DIR/devN (DIR is created if missing)\n"
    "  --link PATTERN         with one %d in it: makes PATTERN with 1 .. N for %d\n"
    "  --dump DIR             writes each device's dump to DIR/dev1 .. DIR/devN\n"
    "  --device K             the device options after it, up to the next --device,\n"
    "                         are device K's alone; those ahead of the first --device\n"
    "                         are every device's (--link, --dump, --devices go there too)\n"
    "Stops on SIGINT, SIGTERM or SIGHUP.\n";

namespace {

constexpr long maxByte = 0xFF;
constexpr long maxCount = 1000000;
constexpr long maxLatencyMs = 60000;
constexpr long maxBaud = 4000000;
constexpr long maxFifoBytes = 256;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string::npos;
       at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// Decimal or 0x-hex, within [low, high].
bool ParseNumber(const std::string& text, long low, long high, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

bool ParseFault(const std::string& text, bool countAllowed, SimFault* fault) {
  const std::vector<std::string> parts = Split(text, ':');
  const size_t maxParts = countAllowed ? 3 : 2;
  if (parts.size() < 2 || parts.size() > maxParts) return false;
  long nth = 0;
  long count = 1;
  if (ParseSimCommand(parts[0], &fault->kind) != 0 || !ParseNumber(parts[1], 1, maxCount, &nth)) {
    return false;
  }
  if (parts.size() == 3 && !ParseNumber(parts[2], 1, maxCount, &count)) return false;
  fault->nth = static_cast<int>(nth);
  fault->count = static_cast<int>(count);
  return true;
}

bool ParseBadRead(const std::string& text, SimFaults* faults) {
  const std::vector<std::string> parts = Split(text, ':');
  long controller = 0;
  long address = 0;
  if (parts.size() != 2 || !ParseNumber(parts[0], 1, simControllerCount, &controller) ||
      !ParseNumber(parts[1], 0, simMemorySize - 1, &address)) {
    return false;
  }
  faults->badReadController = static_cast<int>(controller);
  faults->badReadPage = static_cast<uint32_t>(address);
  return true;
}

// Whether the option concerns velt-sim as a whole rather than one device.
bool IsProgramOption(const std::string& name) {
  return name == "--link" || name == "--dump" || name == "--devices";
}

bool ApplyProgramValue(const std::string& name, const std::string& value,
                       SimProgramOptions* options) {
  long number = 0;
  if (name == "--devices") {
    if (!ParseNumber(value, 1, maxSimDevices, &number)) return false;
    options->deviceCount = static_cast<int>(number);
    return true;
  }
  std::string& target = name == "--link" ? options->linkPath : options->dumpDirectory;
  target = value;
  return !value.empty();
}

// Applies one device option that takes a value. Returns false when the value is bad.
bool ApplyDeviceValue(const std::string& name, const std::string& value, SimOptions* device) {
  SimFaults& faults = device->faults;
  long number = 0;
  SimFault fault{};
  if (name == "--fifo") {
    if (!ParseNumber(value, 1, maxFifoBytes, &number)) return false;
    device->fifoBytes = static_cast<int>(number);
    return true;
  }
  if (name == "--baud" || name == "--fill" || name == "--erase-latency" ||
      name == "--write-latency") {
    const long high = name == "--baud" ? maxBaud : name == "--fill" ? maxByte : maxLatencyMs;
    if (!ParseNumber(value, 0, high, &number)) return false;
    if (name == "--baud") device->baud = static_cast<int>(number);
    if (name == "--fill") device->fill = static_cast<uint8_t>(number);
    if (name == "--erase-latency") device->eraseLatencyMs = static_cast<int>(number);
    if (name == "--write-latency") device->writeLatencyMs = static_cast<int>(number);
    return true;
  }
  if (name == "--bad-read") return ParseBadRead(value, &faults);
  std::vector<SimFault>* list = name == "--drop"      ? &faults.dropAnswer
                                : name == "--corrupt" ? &faults.corruptChecksum
                                : name == "--stray"   ? &faults.strayBytes
                                                      : &faults.hangUp;
  if (!ParseFault(value, name != "--hang-up", &fault)) return false;
  list->push_back(fault);
  return true;
}

bool TakesValue(const std::string& name) {
  static const char* const names[] = {"--link",  "--dump",    "--baud",  "--fill",
                                      "--erase-latency", "--write-latency", "--drop",
                                      "--corrupt", "--stray", "--hang-up", "--bad-read",
                                      "--devices", "--device", "--fifo"};
  for (const char* known : names) {
    if (name == known) return true;
  }
  return false;
}

bool ApplyDeviceFlag(const std::string& name, SimOptions* device) {
  SimFaults& faults = device->faults;
  if (name == "--stay-launched") {
    device->stayLaunched = true;
  } else if (name == "--silent") {
    faults.silent = true;
  } else if (name == "--echo-only") {
    faults.echoOnly = true;
  } else if (name == "--ignore-launch") {
    faults.ignoreLaunch = true;
  } else {
    return false;
  }
  return true;
}

// Exactly one %d and no other %: the name is built by hand, never by printf.
bool LinkPatternIsSound(const std::string& path) {
  const size_t at = path.find("%d");
  return at != std::string::npos && path.find('%', at + 2) == std::string::npos &&
         path.find('%') == at;
}

// Where the options after --device K go. Returns false with a reason.
bool EnterDeviceSection(const std::string& value, SimProgramOptions* options, SimOptions** target,
                        std::string* error) {
  long number = 0;
  if (options->deviceCount == 0) {
    *error = "--device needs --devices N ahead of it";
    return false;
  }
  if (!ParseNumber(value, 1, options->deviceCount, &number)) {
    *error = "bad value for --device: '" + value + "' (1 to " +
             std::to_string(options->deviceCount) + ")";
    return false;
  }
  if (options->devices.empty()) options->devices.assign(options->deviceCount, options->device);
  *target = &options->devices[number - 1];
  return true;
}

}  // namespace

int ParseSimArguments(int argc, const char* const* argv, SimProgramOptions* options,
                      std::string* error) {
  SimOptions* target = &options->device;  // the device options' destination
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    std::string value;
    bool hasValue = false;
    const size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    if (name == "--help" || name == "-h") {
      if (hasValue) {
        *error = "unknown option '" + std::string(argv[i]) + "'";
        return -1;
      }
      options->help = true;
      continue;
    }
    if (!TakesValue(name)) {
      if (hasValue || !ApplyDeviceFlag(name, target)) {
        *error = "unknown option '" + std::string(argv[i]) + "'";
        return -1;
      }
      continue;
    }
    if (!hasValue) {
      if (i + 1 >= argc) {
        *error = name + " needs a value";
        return -1;
      }
      value = argv[++i];
    }
    if (name == "--device") {
      if (!EnterDeviceSection(value, options, &target, error)) return -1;
      continue;
    }
    if (IsProgramOption(name) && target != &options->device) {
      *error = name + " is for all devices: give it ahead of the first --device";
      return -1;
    }
    const bool applied = IsProgramOption(name) ? ApplyProgramValue(name, value, options)
                                               : ApplyDeviceValue(name, value, target);
    if (!applied) {
      *error = "bad value for " + name + ": '" + value + "'";
      return -1;
    }
  }
  if (options->deviceCount > 0 && IsLinkPattern(options->linkPath) &&
      !LinkPatternIsSound(options->linkPath)) {
    *error = "bad value for --link: '" + options->linkPath + "' (one %d, no other %)";
    return -1;
  }
  if (options->devices.empty()) {
    options->devices.assign(options->deviceCount > 0 ? options->deviceCount : 1, options->device);
  }
  return 0;
}
