#include "cli/firmware_choice.h"

#include <cstdio>

#include "firmware/firmware_images.h"
#include "link/printable_text.h"
#include "runner/exit_status.h"
#include "runner/job_identity.h"
#include "runner/load_firmware_set.h"

namespace {

constexpr char builtInRelease[] = "встроенные прошивки";

// "1 страница", "53 страницы", "55 страниц".
std::string PageCount(int count) {
  const int lastTwo = count % 100;
  const int last = count % 10;
  const char* word = "страниц";
  if (last == 1 && lastTwo != 11) word = "страница";
  if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) word = "страницы";
  return std::to_string(count) + " " + word;
}

// The firmware's pages of one controller (controller 1's coefficient pages
// are not its firmware): "53 страницы, 0x2000-0x6D3F", or "нет страниц".
std::string PagesOf(const PageTable& table, const ControllerLayout& controller) {
  int count = 0;
  uint32_t first = 0;
  uint32_t last = 0;
  for (uint32_t address = firmwareBase; address < controller.firmwareEnd; address += pageSize) {
    if (PresentPage(table, address, firmwareBase) == nullptr) continue;
    if (count++ == 0) first = address;
    last = address + pageSize - 1;
  }
  if (count == 0) return "нет страниц";
  char range[32];
  std::snprintf(range, sizeof range, "0x%04X-0x%04X", unsigned(first), unsigned(last));
  return PageCount(count) + ", " + range;
}

}  // namespace

int ChooseFirmware(const std::string& folder, FirmwareChoice* choice) {
  if (folder.empty()) {
    choice->tables = BuiltInFirmwareTables();
    return 0;
  }
  FirmwareSetProblem problem;
  choice->set.emplace();
  if (LoadFirmwareSet(folder, *choice->set, problem) != FirmwareSetStatus::ok) {
    std::fprintf(stderr, "velt-flash: набор прошивок отклонён: %s\n",
                 PrintableText(DescribeFirmwareSetProblem(problem)).c_str());
    choice->set.reset();
    return exitFileRejected;
  }
  choice->tables = SetTables(*choice->set);
  choice->release = choice->set->release;
  return 0;
}

int PrintFirmwareInfo(const std::string& folder) {
  FirmwareChoice choice;
  if (const int status = ChooseFirmware(folder, &choice)) return status;
  const std::string release = folder.empty()               ? builtInRelease
                              : choice.release.empty()      ? PrintableText(folder)
                                                            : PrintableText(choice.release);
  std::printf("выпуск: %s\n", release.c_str());
  for (int c = 0; c < controllerCount; ++c) {
    std::printf("контроллер %d: %s\n", controllerLayouts[c].number,
                PagesOf(*choice.tables[c], controllerLayouts[c]).c_str());
  }
  std::printf("sha256 %s\n", FirmwareSha256(choice.tables).c_str());
  return exitStarted;
}
