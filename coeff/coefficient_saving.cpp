#include "coeff/coefficient_saving.h"

#include <cstdio>
#include <vector>

#include "coeff/coefficient_file.h"
#include "coeff/coefficient_text.h"
#include "coeff/file_output.h"

const char fillerWarning[] =
    "байты 112-127 после коэффициентов не все FF; в файл они не попадают, "
    "и запись файла вернёт туда FF";

namespace {

const char temporarySuffix[] = ".tmp";
// Names tried for the temporary file beside the target; one left behind by a
// crashed run, or somebody else's, is passed over rather than overwritten.
constexpr int temporaryNameTries = 100;

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
    reason += numbers.size() == size_t(coefficientCount)
                  ? "; все байты FF FF FF FF: страницы 0x7000 и 0x7040, похоже, стёрты"
                  : "; байты FF FF FF FF: похоже на стёртую память";
  }
  return reason;
}

// A new temporary file beside `path`, its name in *temporary; null when
// none could be made.
std::FILE* CreateTemporaryBeside(const char* path, std::string* temporary) {
  for (int attempt = 0; attempt < temporaryNameTries; ++attempt) {
    *temporary = std::string(path) + (attempt == 0 ? "" : "." + std::to_string(attempt)) +
                 temporarySuffix;
    if (std::FILE* file = CreateForWriting(temporary->c_str())) return file;
    if (!PathExists(temporary->c_str())) return nullptr;  // not a name clash: give up
  }
  return nullptr;
}

// 0 when all of `text` reached the disk.
int WriteWhole(std::FILE* file, const std::string& text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed ? 0 : -1;
}

}  // namespace

SaveReport SaveCoefficientFile(const uint8_t* image, const char* path, bool replace) {
  SaveReport report;
  report.fillerNotErased = !FillerErased(image);
  const std::vector<int> nan = NanCoefficients(image);
  if (!nan.empty()) {
    report.result = SaveResult::notANumber;
    report.reason = NanReason(image, nan);
    return report;
  }
  if (!replace && PathExists(path)) {
    report.result = SaveResult::exists;
    report.reason = std::string("файл ") + path + " уже есть";
    return report;
  }
  std::string temporary;
  std::FILE* file = CreateTemporaryBeside(path, &temporary);
  if (file == nullptr) {
    report.result = SaveResult::unwritable;
    report.reason = std::string("не удалось создать ") + temporary;
    return report;
  }
  if (WriteWhole(file, CoefficientFileText(image, textLineEnd)) != 0) {
    RemoveFile(temporary.c_str());
    report.result = SaveResult::unwritable;
    report.reason = std::string("не удалось записать ") + temporary;
    return report;
  }
  if (MoveIntoPlace(temporary.c_str(), path, replace) != 0) {
    const bool appeared = !replace && PathExists(path);
    RemoveFile(temporary.c_str());
    report.result = appeared ? SaveResult::exists : SaveResult::unwritable;
    report.reason = appeared ? std::string("файл ") + path + " уже есть"
                             : std::string("не удалось переименовать ") + temporary + " в " + path;
    return report;
  }
  report.result = SaveResult::saved;
  return report;
}
