#include "cli/reading_jobs.h"

#include <cstdio>
#include <vector>

#include "cli/exit_status.h"
#include "coeff/coefficient_saving.h"
#include "link/printable_text.h"

namespace {

constexpr int differenceLineSize = 320;  // bytes: the Cyrillic takes two each

void PrintNotSaved(const FlashArguments& arguments, const SaveReport& report) {
  std::fprintf(stderr, "velt-flash: коэффициенты не сохранены в %s: %s%s\n",
               PrintableText(arguments.file).c_str(), PrintableText(report.reason).c_str(),
               report.result == SaveResult::exists ? " (заменить: --force)" : "");
}

}  // namespace

int CheckSaveTarget(const FlashArguments& arguments) {
  SaveReport report;
  report.result = JudgeSaveTarget(arguments.file.c_str(), arguments.force);
  if (report.result == SaveResult::saved) return 0;
  report.reason = report.result == SaveResult::folder ? folderWord : "файл уже есть";
  PrintNotSaved(arguments, report);
  return exitFileRejected;
}

void DifferenceReport::Attach(ReportSinks* sinks) {
  sinks->difference = [this](const PageDifference& difference) {
    if (++differingPages <= differenceLinesShown) shown.push_back(difference);
  };
}

void DifferenceReport::Print(const std::function<void(const std::string& line)>& say) const {
  char line[differenceLineSize];
  for (const PageDifference& d : shown) {
    std::snprintf(line, sizeof line,
                  "velt-flash: контроллер %d, страница 0x%04X: отличаются %d из 64 байт, первый "
                  "- смещение %d (0x%04X): ожидалось %02X, прочитано %02X",
                  d.controller, static_cast<unsigned>(d.address), d.differingBytes, d.firstOffset,
                  static_cast<unsigned>(d.address) + d.firstOffset, d.expected, d.found);
    say(line);
  }
  if (differingPages > differenceLinesShown) {
    say("velt-flash: и ещё страниц с отличиями: " +
        std::to_string(differingPages - differenceLinesShown));
  }
}

int FinishSave(const FlashArguments& arguments, int status, const uint8_t* image) {
  if (status != exitStarted && status != exitStartNotConfirmed) return status;
  const SaveReport report =
      SaveCoefficientFile(image, arguments.file.c_str(), arguments.force);
  if (report.fillerNotErased) std::fprintf(stderr, "velt-flash: внимание: %s\n", fillerWarning);
  if (report.result != SaveResult::saved) {
    PrintNotSaved(arguments, report);
    return exitFileRejected;
  }
  std::printf("Коэффициенты сохранены в %s\n", PrintableText(arguments.file).c_str());
  return status;
}
