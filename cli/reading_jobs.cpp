#include "cli/reading_jobs.h"

#include <cstdio>
#include <vector>

#include "cli/exit_status.h"
#include "coeff/coefficient_saving.h"
#include "link/printable_text.h"

namespace {

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

void DifferenceReport::Print(std::FILE* stream) const {
  for (const PageDifference& d : shown) {
    std::fprintf(stream,
                 "velt-flash: контроллер %d, страница 0x%04X: отличаются %d из 64 байт, первый "
                 "- смещение %d (0x%04X): ожидалось %02X, прочитано %02X\n",
                 d.controller, static_cast<unsigned>(d.address), d.differingBytes, d.firstOffset,
                 static_cast<unsigned>(d.address) + d.firstOffset, d.expected, d.found);
  }
  if (differingPages > differenceLinesShown) {
    std::fprintf(stream, "velt-flash: и ещё страниц с отличиями: %d\n",
                 differingPages - differenceLinesShown);
  }
}

int FinishSave(const FlashArguments& arguments, Outcome outcome, const uint8_t* image) {
  if (outcome != Outcome::started && outcome != Outcome::startNotConfirmed) {
    return ExitStatusOf(outcome);
  }
  const SaveReport report =
      SaveCoefficientFile(image, arguments.file.c_str(), arguments.force);
  if (report.fillerNotErased) std::fprintf(stderr, "velt-flash: внимание: %s\n", fillerWarning);
  if (report.result != SaveResult::saved) {
    PrintNotSaved(arguments, report);
    return exitFileRejected;
  }
  std::printf("Коэффициенты сохранены в %s\n", PrintableText(arguments.file).c_str());
  return ExitStatusOf(outcome);
}
