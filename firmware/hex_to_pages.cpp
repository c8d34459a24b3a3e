// Build step: reads a firmware set (the placeholders beside this file unless
// the build names another folder) and writes the constant page tables and the
// release line compiled into the program. Fails the build with the reader's
// message, naming the file, the line and the reason, when the set is refused.
//
//   hex_to_pages OUTPUT.cpp SET_FOLDER
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "firmware/firmware_set.h"

namespace {

void EmitController(std::ostream& out, int controller, const ControllerPages& pages) {
  const std::string name = "controller" + std::to_string(controller);
  int present = 0;
  for (const uint8_t* page : pages.entries) present += page != nullptr;
  out << "const uint8_t " << name << "Pages[" << present << "][" << pageSize << "] = {\n";
  for (const uint8_t* page : pages.entries) {
    if (page == nullptr) continue;
    out << "    {";
    for (int i = 0; i < pageSize; ++i) {
      char byte[8];
      std::snprintf(byte, sizeof byte, "%s0x%02X", i ? "," : "", page[i]);
      out << byte;
    }
    out << "},\n";
  }
  out << "};\n\n";
  out << "const uint8_t* const " << name << "Entries[" << firmwareTableEntries << "] = {\n";
  for (int entry = 0, k = 0; entry < firmwareTableEntries; ++entry) {
    if (pages.entries[entry] == nullptr) {
      out << "    nullptr,\n";
    } else {
      out << "    " << name << "Pages[" << k++ << "],\n";
    }
  }
  out << "};\n\n";
}

// Every byte as an octal escape: no character of the line can end the
// literal or run into the next escape.
std::string CLiteral(const std::string& text) {
  std::string literal = "\"";
  for (const char c : text) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned char>(c));
    literal += escape;
  }
  return literal + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hex_to_pages OUTPUT.cpp SET_FOLDER\n");
    return 2;
  }
  FirmwareSet set;
  FirmwareSetProblem problem;
  if (ReadFirmwareSet(argv[2], set, problem) != FirmwareSetStatus::ok) {
    std::fprintf(stderr, "hex_to_pages: %s\n", DescribeFirmwareSetProblem(problem).c_str());
    return 1;
  }
  std::ostringstream body;
  for (int k = 0; k < controllerCount; ++k) EmitController(body, k + 1, set.controllers[k]);

  std::ofstream out(argv[1], std::ios::binary);
  out << "// Generated at build time from a firmware set; do not edit.\n"
      << "#include \"firmware/firmware_images.h\"\n\nnamespace {\n\n"
      << body.str() << "}  // namespace\n\n";
  for (int controller = 1; controller <= controllerCount; ++controller) {
    out << "const PageTable controller" << controller << "Image{controller" << controller
        << "Entries, " << firmwareTableEntries << "};\n";
  }
  out << "const char builtInFirmwareRelease[] = " << CLiteral(set.release) << ";\n";
  return out ? 0 : 1;
}
