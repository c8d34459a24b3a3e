#include "sim/sim_dump.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "sim/device_model.h"

namespace {

constexpr mode_t dumpDirectoryMode = 0755;

int WriteFile(const std::string& path, const void* bytes, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return -1;
  const bool written = std::fwrite(bytes, 1, size, file) == size;
  const bool closed = std::fclose(file) == 0;
  return written && closed ? 0 : -1;
}

}  // namespace

std::string FormatTranscriptLine(const SimFrame& frame) {
  SimCommand kind;
  const char* kindName = ClassifyFrame(frame, &kind) == 0 ? SimCommandName(kind) : "unknown";
  char head[128];
  std::snprintf(head, sizeof head, "controller %d command %d %s address 0x%06x data %zu:",
                frame.controller, frame.command, kindName, static_cast<unsigned>(frame.address),
                frame.data.size());
  std::string line = head;
  for (uint8_t value : frame.data) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", value);
    line += hex;
  }
  if (!frame.checksumOk) line += " (bad checksum)";
  return line;
}

std::string FormatFrameCounts(const Simulator& simulator) {
  static const SimCommand kinds[] = {SimCommand::query,   SimCommand::read, SimCommand::write,
                                     SimCommand::erase,   SimCommand::control,
                                     SimCommand::null,    SimCommand::select,
                                     SimCommand::launch};
  std::string line = "frames received:";
  for (SimCommand kind : kinds) {
    line += std::string(" ") + SimCommandName(kind) + " " +
            std::to_string(simulator.FramesReceived(kind));
  }
  return line;
}

int WriteSimDump(const std::string& directory, const Simulator& simulator) {
  if (::mkdir(directory.c_str(), dumpDirectoryMode) != 0 && errno != EEXIST) return -1;
  int result = 0;
  for (int controller = 1; controller <= simControllerCount; ++controller) {
    const std::vector<uint8_t> memory = simulator.Memory(controller);
    const std::string path = directory + "/controller" + std::to_string(controller) + ".bin";
    if (WriteFile(path, memory.data(), memory.size()) != 0) result = -1;
  }
  std::string text;
  for (const SimFrame& frame : simulator.Transcript()) text += FormatTranscriptLine(frame) + "\n";
  if (WriteFile(directory + "/transcript.txt", text.data(), text.size()) != 0) result = -1;
  const std::string counts = FormatFrameCounts(simulator) + "\n";
  if (WriteFile(directory + "/frames.txt", counts.data(), counts.size()) != 0) result = -1;
  return result;
}
