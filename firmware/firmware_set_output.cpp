#include "firmware/firmware_set_output.h"

#include <algorithm>

#include "coeff/file_output.h"

namespace {

bool AllErased(const uint8_t* page) {
  return std::all_of(page, page + pageSize, [](uint8_t byte) { return byte == erasedByte; });
}

}  // namespace

FirmwareSet SetFromMemory(const FirmwareMemory& memory) {
  FirmwareSet set;
  for (int k = 0; k < controllerCount; ++k) {
    const std::vector<uint8_t>& area = memory[k];
    ControllerPages& pages = set.controllers[k];
    for (size_t entry = 0; entry * pageSize < area.size(); ++entry) {
      const uint8_t* page = area.data() + entry * pageSize;
      if (AllErased(page)) continue;
      std::copy(page, page + pageSize, pages.PageBytes(int(entry)));
      pages.MarkPresent(int(entry));
    }
  }
  AddDefaultCoefficients(set.controllers[coefficientController.number - 1]);
  return set;
}

std::string ControllerHexText(const FirmwareSet& set, int controllerIndex) {
  const ControllerPages& pages = set.controllers[controllerIndex];
  const HexRange range = ControllerRange(controllerIndex);
  HexImage image;
  for (uint32_t address = range.low; address < range.high; address += pageSize) {
    const uint8_t* page = pages.entries[(address - firmwareBase) / pageSize];
    if (page == nullptr) continue;
    for (int i = 0; i < pageSize; ++i) image.bytes[address + i] = page[i];
  }
  return IntelHexText(image, textLineEnd);
}

SetFolderVerdict JudgeSetFolder(const std::string& folder, bool replace) {
  switch (InspectFolder(folder.c_str())) {
    case FolderContent::missing:
    case FolderContent::empty:
      return SetFolderVerdict::ok;
    case FolderContent::notEmpty:
      return replace ? SetFolderVerdict::ok : SetFolderVerdict::notEmpty;
    case FolderContent::notAFolder:
      return SetFolderVerdict::notAFolder;
    case FolderContent::unreadable:
      break;
  }
  return SetFolderVerdict::unreadable;
}

const char* SetFolderReason(SetFolderVerdict verdict) {
  switch (verdict) {
    case SetFolderVerdict::ok:
      return "";
    case SetFolderVerdict::notEmpty:
      return "папка не пуста";
    case SetFolderVerdict::notAFolder:
      return "это не папка";
    case SetFolderVerdict::unreadable:
      break;
  }
  return "папку не удалось прочитать";
}

std::vector<std::string> SetFilePaths(const std::string& given) {
  const std::string folder = SetFolder(given);
  std::vector<std::string> paths;
  for (const char* name : firmwareSetFiles) paths.push_back(folder + "/" + name);
  paths.push_back(folder + "/" + firmwareReleaseFile);
  return paths;
}

SetWriteReport WriteFirmwareSet(const std::string& folder, const FirmwareSet& set,
                                const std::string& release, bool replace) {
  SetWriteReport report;
  if (InspectFolder(folder.c_str()) == FolderContent::missing &&
      MakeFolder(folder.c_str(), &report.reason) != 0) {
    return report;
  }
  const std::vector<std::string> paths = SetFilePaths(folder);
  // release.txt last: a set cut short by a failure has no release line that
  // would vouch for it.
  for (size_t k = 0; k < paths.size(); ++k) {
    const std::string content = k < controllerCount ? ControllerHexText(set, int(k)) : release;
    const FileWriteReport written = WriteWholeFile(paths[k].c_str(), content, replace);
    if (written.outcome == WriteOutcome::written) continue;
    report.reason = written.outcome == WriteOutcome::exists ? paths[k] + ": файл уже есть"
                                                            : written.reason;
    return report;
  }
  report.written = true;
  return report;
}
