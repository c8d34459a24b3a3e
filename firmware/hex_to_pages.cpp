// Build step: turns the three controllers' Intel HEX files into the constant
// page tables compiled into the program, and adds controller 1's default
// coefficient pages. Fails the build with a clear message when a file is
// malformed or does not cover exactly its controller's pages.
//
//   hex_to_pages OUTPUT.cpp CONTROLLER1.hex CONTROLLER2.hex CONTROLLER3.hex
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "coeff/coefficient_file.h"
#include "coeff/device_float.h"
#include "link/boot_link.h"
#include "firmware/firmware_images.h"
#include "firmware/intel_hex.h"

namespace {

constexpr int erasedByte = 0xFF;

// The pages each controller's firmware occupies, from firmwareBase on.
constexpr int firmwarePageCount[controllerCount] = {53, 41, 55};

// Controller 1's default coefficients: 1.0 at these positions (1-based), 0.0
// elsewhere, then the filler words.
constexpr int defaultCoefficientOnes[] = {7, 11, 20, 28};

using Page = std::vector<uint8_t>;
using Pages = std::vector<std::pair<int, Page>>;  // (table entry, contents)

bool ReadFile(const char* path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream content;
  content << file.rdbuf();
  text = content.str();
  return true;
}

int Fail(const char* path, const std::string& message) {
  std::fprintf(stderr, "hex_to_pages: %s: %s\n", path, message.c_str());
  return -1;
}

// Checks the image against its layout and cuts it into pages.
int CutIntoPages(const char* path, const HexImage& image, int pageCount, Pages& pages) {
  const uint32_t end = firmwareBase + uint32_t(pageCount) * pageSize;
  std::vector<Page> contents(pageCount, Page(pageSize, erasedByte));
  std::vector<bool> present(pageCount, false);
  for (const auto& [address, value] : image.bytes) {
    if (address < firmwareBase || address >= end) {
      char message[128];
      std::snprintf(message, sizeof message,
                    "data at 0x%04X lies outside the firmware pages 0x%04X-0x%04X", address,
                    firmwareBase, end - 1);
      return Fail(path, message);
    }
    const int entry = int((address - firmwareBase) / pageSize);
    contents[entry][(address - firmwareBase) % pageSize] = value;
    present[entry] = true;
  }
  for (int entry = 0; entry < pageCount; ++entry) {
    if (!present[entry]) {
      char message[96];
      std::snprintf(message, sizeof message, "no data for the page at 0x%04X",
                    firmwareBase + uint32_t(entry) * pageSize);
      return Fail(path, message);
    }
    pages.emplace_back(entry, contents[entry]);
  }
  return 0;
}

void AddDefaultCoefficients(Pages& pages) {
  Page image(coefficientImageSize, erasedByte);
  for (int n = 1; n <= coefficientCount; ++n) {
    float value = 0.0f;
    for (const int one : defaultCoefficientOnes) {
      if (n == one) value = 1.0f;
    }
    const DeviceFloat bytes = ToDeviceFloat(value);
    for (int i = 0; i < 4; ++i) image[4 * (n - 1) + i] = bytes.bytes[i];
  }
  const int firstEntry = int((coefficientPagesStart - firmwareBase) / pageSize);
  for (int k = 0; k < coefficientPageCount; ++k) {
    const auto from = image.begin() + k * pageSize;
    pages.emplace_back(firstEntry + k, Page(from, from + pageSize));
  }
}

void Emit(std::ostream& out, int controller, const Pages& pages) {
  const std::string name = "controller" + std::to_string(controller);
  out << "const uint8_t " << name << "Pages[" << pages.size() << "][" << pageSize << "] = {\n";
  for (const auto& [entry, page] : pages) {
    out << "    {";
    for (int i = 0; i < pageSize; ++i) {
      char byte[8];
      std::snprintf(byte, sizeof byte, "%s0x%02X", i ? "," : "", page[i]);
      out << byte;
    }
    out << "},\n";
  }
  out << "};\n\n";
  std::vector<int> pageOfEntry(firmwareTableEntries, -1);
  for (size_t k = 0; k < pages.size(); ++k) pageOfEntry[pages[k].first] = int(k);
  out << "const uint8_t* const " << name << "Entries[" << firmwareTableEntries << "] = {\n";
  for (int entry = 0; entry < firmwareTableEntries; ++entry) {
    if (pageOfEntry[entry] < 0) {
      out << "    nullptr,\n";
    } else {
      out << "    " << name << "Pages[" << pageOfEntry[entry] << "],\n";
    }
  }
  out << "};\n\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: hex_to_pages OUTPUT.cpp CONTROLLER1.hex CONTROLLER2.hex CONTROLLER3.hex\n");
    return 2;
  }
  std::ostringstream body;
  for (int controller = 1; controller <= 3; ++controller) {
    const char* path = argv[1 + controller];
    std::string text;
    if (!ReadFile(path, text)) {
      Fail(path, "cannot be read");
      return 1;
    }
    HexImage image;
    std::string error;
    if (ParseIntelHex(text, image, error) != 0) {
      Fail(path, error);
      return 1;
    }
    Pages pages;
    if (CutIntoPages(path, image, firmwarePageCount[controller - 1], pages) != 0) return 1;
    if (controller == 1) AddDefaultCoefficients(pages);
    Emit(body, controller, pages);
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << "// Generated at build time from the controllers' Intel HEX files; do not edit.\n"
      << "#include \"firmware/firmware_images.h\"\n\nnamespace {\n\n"
      << body.str() << "}  // namespace\n\n";
  for (int controller = 1; controller <= 3; ++controller) {
    out << "const PageTable controller" << controller << "Image{controller" << controller
        << "Entries, " << firmwareTableEntries << "};\n";
  }
  return out ? 0 : 1;
}
