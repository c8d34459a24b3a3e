#include "tests/support/image_bytes.h"

#include <algorithm>

#include "link/boot_link.h"

namespace {

const uint8_t* PageAt(const PageTable& table, uint32_t address, uint32_t base) {
  return table.pages[address / pageSize - base / pageSize];
}

}  // namespace

std::vector<uint8_t> ImageBytes(const PageTable& table, uint32_t start, uint32_t end, uint32_t base) {
  std::vector<uint8_t> bytes;
  for (uint32_t address = start; address < end; address += pageSize) {
    const uint8_t* page = PageAt(table, address, base);
    if (page != nullptr) bytes.insert(bytes.end(), page, page + pageSize);
  }
  return bytes;
}

std::vector<uint8_t> MemoryBytesAtImage(const std::vector<uint8_t>& memory, const PageTable& table,
                                        uint32_t start, uint32_t end, uint32_t base) {
  std::vector<uint8_t> bytes;
  for (uint32_t address = start; address < end; address += pageSize) {
    if (PageAt(table, address, base) == nullptr) continue;
    bytes.insert(bytes.end(), memory.begin() + address, memory.begin() + address + pageSize);
  }
  return bytes;
}

std::vector<uint8_t> MemoryWithImage(std::vector<uint8_t> memory, const PageTable& table,
                                     uint32_t start, uint32_t end, uint32_t base) {
  for (uint32_t address = start; address < end; address += pageSize) {
    const uint8_t* page = PageAt(table, address, base);
    if (page != nullptr) std::copy(page, page + pageSize, memory.begin() + address);
  }
  return memory;
}
