#include "coeff/coefficient_saving.h"

#include <cstdio>
#include <vector>

#include "coeff/coefficient_file.h"
#include "coeff/coefficient_text.h"
#include "coeff/file_output.h"

const char fillerWarning[] =
    "байты 112-127 после коэффициентов не все FF; в файл они не попадают, "
    "и запись файла вернёт туда FF";

const char folderWord[] = "это папка";

namespace {

constexpr int reasonSize = 160;

std::string AllErasedText() {
  char text[reasonSize];
  std::snprintf(text, sizeof text,
                "; все байты FF FF FF FF: страницы 0x%04X и 0x%04X, похоже, стёрты",
                unsigned(coefficientPagesStart), unsigned(coefficientPagesStart + pageSize));
  return text;
}

std::string NanReason(const uint8_t* image, const std::vector<int>& numbers) {
  bool allErased = true;
  std::string list;
  for (int n : numbers) {
    allErased = allErased && ReadsErased(image, n);
    list += (list.empty() ? "" : ", ") + std::to_string(n);
  }
  std::string reason = (numbers.size() == 1 ? "коэффициент " : "коэффициенты ") + list +
                       " не число (NaN), такое значение в файл не записать";
  if (allErased) {
    const bool all = numbers.size() == size_t(coefficientCount);
    reason += all ? AllErasedText() : "; байты FF FF FF FF: похоже на стёртую память";
  }
  return reason;
}

std::string ExistsReason(const char* path) { return std::string("файл ") + path + " уже есть"; }

bool TargetRefused(const char* path, bool replace, SaveReport* report) {
  report->result = JudgeSaveTarget(path, replace);
  if (report->result == SaveResult::folder) report->reason = FolderReason(path);
  if (report->result == SaveResult::exists) report->reason = ExistsReason(path);
  return report->result != SaveResult::saved;
}

}  // namespace

std::string FolderReason(const char* path) { return std::string(path) + ": " + folderWord; }

SaveResult JudgeSaveTarget(const char* path, bool replace) {
  if (IsFolder(path)) return SaveResult::folder;
  return !replace && PathExists(path) ? SaveResult::exists : SaveResult::saved;
}

SaveReport SaveCoefficientFile(const uint8_t* image, const char* path, bool replace) {
  SaveReport report;
  report.fillerNotErased = !FillerErased(image);
  const std::vector<int> nan = NanCoefficients(image);
  if (!nan.empty()) {
    report.result = SaveResult::notANumber;
    report.reason = NanReason(image, nan);
    return report;
  }
  if (TargetRefused(path, replace, &report)) return report;
  const FileWriteReport written =
      WriteWholeFile(path, CoefficientFileText(image, textLineEnd), replace);
  if (written.outcome == WriteOutcome::written) {
    report.result = SaveResult::saved;
    return report;
  }
  // A folder, or a file, may have taken the name after the check above.
  const bool folder = IsFolder(path);
  const bool exists = written.outcome == WriteOutcome::exists;
  report.result = folder   ? SaveResult::folder
                  : exists ? SaveResult::exists
                           : SaveResult::unwritable;
  report.reason = folder ? FolderReason(path) : exists ? ExistsReason(path) : written.reason;
  return report;
}
