#include "cli/reading_jobs.h"

#include <cstdio>
#include <vector>

#include "runner/exit_status.h"
#include "coeff/coefficient_saving.h"
#include "coeff/file_output.h"
#include "firmware/firmware_set_output.h"
#include "link/printable_text.h"
#include "record/job_record.h"

namespace {

constexpr int differenceLineSize = 320;  // bytes: the Cyrillic takes two each

std::string NotSaved(const FlashArguments& arguments, const SaveReport& report) {
  return "velt-flash: коэффициенты не сохранены в " + PrintableText(arguments.files.front()) +
         ": " + PrintableText(report.reason) +
         (report.result == SaveResult::exists ? " (заменить: --force)" : "");
}

std::string SetNotWritten(const FlashArguments& arguments, const std::string& reason) {
  return "velt-flash: набор прошивок не записан в " + PrintableText(arguments.files.front()) +
         ": " + PrintableText(reason);
}

// release.txt: its first line is the set's release line, shown and recorded
// wherever the set is loaded again.
std::string ReadOutRelease(const JobResult& result) {
  return "Прочитано с устройства " + UtcTimestamp(SecondsSince1970()) + textLineEnd +
         "Порт: " + PrintableText(result.port) + textLineEnd + "sha256 " + result.firmwareRead->sha256 +
         textLineEnd;
}

}  // namespace

int CheckReadOutTarget(const FlashArguments& arguments) {
  const SetFolderVerdict verdict = JudgeSetFolder(arguments.files.front(), arguments.force);
  if (verdict == SetFolderVerdict::ok) return 0;
  const std::string hint = verdict == SetFolderVerdict::notEmpty ? " (писать в неё: --force)" : "";
  std::fprintf(stderr, "%s%s\n", SetNotWritten(arguments, SetFolderReason(verdict)).c_str(),
               hint.c_str());
  return exitFileRejected;
}

int CheckSaveTarget(const FlashArguments& arguments) {
  SaveReport report;
  report.result = JudgeSaveTarget(arguments.files.front().c_str(), arguments.force);
  if (report.result == SaveResult::saved) return 0;
  report.reason = report.result == SaveResult::folder ? folderWord : "файл уже есть";
  std::fprintf(stderr, "%s\n", NotSaved(arguments, report).c_str());
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

void ReportSave(const FlashArguments& arguments, JobResult& result,
                const std::function<void(const std::string& line)>& out,
                const std::function<void(const std::string& line)>& errors) {
  if (result.outcome != JobOutcome::started && result.outcome != JobOutcome::startNotConfirmed) {
    return;
  }
  const SaveReport report =
      SaveCoefficientFile(result.read.data(), arguments.files.front().c_str(), arguments.force);
  if (report.fillerNotErased) errors(std::string("velt-flash: внимание: ") + fillerWarning);
  if (report.result != SaveResult::saved) {
    errors(NotSaved(arguments, report));
    result.outcome = JobOutcome::fileRejected;
    result.status = exitFileRejected;
    return;
  }
  out("Коэффициенты сохранены в " + PrintableText(arguments.files.front()));
}

void ReportReadOut(const FlashArguments& arguments, JobResult& result,
                   const std::function<void(const std::string& line)>& out,
                   const std::function<void(const std::string& line)>& errors) {
  if (!result.firmwareRead) return;
  const std::string& folder = arguments.files.front();
  const SetWriteReport report =
      WriteFirmwareSet(folder, *result.firmwareRead, ReadOutRelease(result), arguments.force);
  if (!report.written) {
    errors(SetNotWritten(arguments, report.reason));
    result.outcome = JobOutcome::fileRejected;
    result.status = exitFileRejected;
    return;
  }
  out("Набор прошивок записан в " + PrintableText(folder) + ", sha256 " +
      result.firmwareRead->sha256);
}
