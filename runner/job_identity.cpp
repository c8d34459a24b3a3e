#include "runner/job_identity.h"

#include <vector>

#include "link/boot_link.h"
#include "record/sha256.h"

namespace {

// The present pages of [start, end), one after the other.
void AppendPages(const PageTable& table, uint32_t start, uint32_t end, uint32_t base,
                 std::vector<uint8_t>* bytes) {
  for (uint32_t address = start; address < end; address += pageSize) {
    const uint8_t* page = PresentPage(table, address, base);
    if (page != nullptr) bytes->insert(bytes->end(), page, page + pageSize);
  }
}

uint32_t TableEnd(const PageTable& table, uint32_t base) {
  return base + static_cast<uint32_t>(table.pageCount) * pageSize;
}

}  // namespace

std::string FirmwareSha256(const FirmwareTables& tables) {
  std::vector<uint8_t> bytes;
  for (const PageTable* table : tables) {
    AppendPages(*table, firmwareBase, TableEnd(*table, firmwareBase), firmwareBase, &bytes);
  }
  return Sha256Hex(bytes.data(), bytes.size());
}

std::string CoefficientsSha256(const PageTable& table, uint32_t base) {
  std::vector<uint8_t> bytes;
  AppendPages(table, coefficientPagesStart, coefficientPagesEnd, base, &bytes);
  return Sha256Hex(bytes.data(), bytes.size());
}

std::string CoefficientsSha256(const CoefficientImage& image) {
  return Sha256Hex(image.data(), image.size());
}
