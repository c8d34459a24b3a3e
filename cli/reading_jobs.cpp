#include "cli/reading_jobs.h"

#include <cstdio>
#include <vector>

#include "runner/exit_status.h"
#include "coeff/coefficient_saving.h"
#include "link/printable_text.h"

namespace {

constexpr int differenceLineSize = 320;  // bytes: the Cyrillic takes two each

void PrintNotSaved(const FlashArguments& arguments, const SaveReport& report) {
  std::fprintf(stderr, "velt-flash: коэффициенты не сохранены в %s: %s%s\n",
               PrintableText(arguments.files.front()).c_str(),
               PrintableText(report.reason).c_str(), report.result == SaveResult::exists ? " (заменить: --force)" : "");
}

}  // namespace

int CheckSaveTarget(const FlashArguments& arguments) {
  SaveReport report;
  report.result = JudgeSaveTarget(arguments.files.front().c_str(), arguments.force);
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

void ReportSave(const FlashArguments& arguments, JobResult& result) {
  if (result.outcome != JobOutcome::started && result.outcome != JobOutcome::startNotConfirmed) {
    return;
  }
  const SaveReport report =
      SaveCoefficientFile(result.read.data(), arguments.files.front().c_str(), arguments.force);
  if (report.fillerNotErased) std::fprintf(stderr, "velt-flash: внимание: %s\n", fillerWarning);
  if (report.result != SaveResult::saved) {
    PrintNotSaved(arguments, report);
    result.outcome = JobOutcome::fileRejected;
    result.status = exitFileRejected;
    return;
  }
  std::printf("Коэффициенты сохранены в %s\n", PrintableText(arguments.files.front()).c_str());
}
