#include "firmware/firmware_set.h"

#include <cstdio>

#include "coeff/file_access.h"
#include "firmware/default_coefficients.h"

const char* const firmwareSetFiles[controllerCount] = {"controller1.hex", "controller2.hex",
                                                       "controller3.hex"};
const char firmwareReleaseFile[] = "release.txt";

namespace {

constexpr size_t readChunkSize = 4096;
constexpr int mebibyteShift = 20;
const std::string utf8ByteOrderMark = "\xEF\xBB\xBF";  // what some editors put first
constexpr uint32_t lastControlCharacter = 0x1F;
constexpr uint32_t deleteCharacter = 0x7F;
constexpr uint32_t firstC1Control = 0x80;  // C1 controls run to 0x9F
constexpr uint32_t lastC1Control = 0x9F;

FirmwareSetStatus Refuse(FirmwareSetProblem& problem, FirmwareSetStatus status,
                         const std::string& file, int line, const std::string& reason) {
  problem.file = file;
  problem.line = line;
  problem.reason = reason;
  return status;
}

bool Exists(const std::string& path) {
  PathKind kind = PathKind::other;
  return InspectPath(path.c_str(), &kind) == 0;
}

// Reads the whole file, refusing it once it passes the fence.
FirmwareSetStatus ReadWholeFile(const std::string& path, std::string& text,
                                FirmwareSetProblem& problem) {
  PathKind kind = PathKind::other;
  if (InspectPath(path.c_str(), &kind) != 0) {
    return Refuse(problem, FirmwareSetStatus::missingFile, path, 0, "файла нет");
  }
  // A pipe or a device would hold the read until someone wrote to it.
  std::FILE* file = kind == PathKind::regular ? OpenForReading(path.c_str()) : nullptr;
  if (file == nullptr) {
    return Refuse(problem, FirmwareSetStatus::unreadableFile, path, 0, "файл не открывается");
  }
  text.clear();
  char chunk[readChunkSize];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 &&
         text.size() <= size_t(firmwareFileLimit)) {
    text.append(chunk, got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (text.size() > size_t(firmwareFileLimit)) {
    return Refuse(problem, FirmwareSetStatus::fileTooLarge, path, 0,
                  "файл больше " + std::to_string(firmwareFileLimit >> mebibyteShift) +
                      " МБ: это не прошивка контроллера");
  }
  if (failed) {
    return Refuse(problem, FirmwareSetStatus::unreadableFile, path, 0, "файл не читается");
  }
  return FirmwareSetStatus::ok;
}

// Decodes one UTF-8 character at `at`; false for a malformed or overlong one.
bool NextCharacter(const std::string& text, size_t& at, uint32_t& character) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(at);
  int length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                : (lead & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0 || at + length > text.size()) return false;
  static const uint32_t leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  static const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  character = lead & leadMask[length];
  for (int k = 1; k < length; ++k) {
    if ((byte(at + k) & 0xC0) != 0x80) return false;
    character = (character << 6) | (byte(at + k) & 0x3F);
  }
  if (character < smallest[length] || character > 0x10FFFF ||
      (character >= 0xD800 && character <= 0xDFFF)) {
    return false;
  }
  at += length;
  return true;
}

bool IsControl(uint32_t character) {
  return character <= lastControlCharacter || character == deleteCharacter ||
         (character >= firstC1Control && character <= lastC1Control);
}

FirmwareSetStatus ReadRelease(const std::string& folder, std::string& release,
                              FirmwareSetProblem& problem) {
  const std::string path = folder + "/" + firmwareReleaseFile;
  release.clear();
  if (!Exists(path)) return FirmwareSetStatus::ok;
  std::string text;
  const FirmwareSetStatus read = ReadWholeFile(path, text, problem);
  if (read != FirmwareSetStatus::ok) return read;
  std::string line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0) {
    line.erase(0, utf8ByteOrderMark.size());
  }
  int characters = 0;
  for (size_t at = 0; at < line.size(); ++characters) {
    uint32_t character = 0;
    if (!NextCharacter(line, at, character)) {
      return Refuse(problem, FirmwareSetStatus::badRelease, path, 1, "текст не в UTF-8");
    }
    if (IsControl(character)) {
      return Refuse(problem, FirmwareSetStatus::badRelease, path, 1, "в строке управляющий символ");
    }
  }
  if (characters > releaseLineLimit) {
    return Refuse(problem, FirmwareSetStatus::badRelease, path, 1,
                  "строка длиннее " + std::to_string(releaseLineLimit) + " символов");
  }
  release = line;
  return FirmwareSetStatus::ok;
}

void CutIntoPages(const HexImage& image, ControllerPages& pages) {
  for (const auto& [address, value] : image.bytes) {
    const int entry = int((address - firmwareBase) / pageSize);
    pages.PageBytes(entry)[(address - firmwareBase) % pageSize] = value;
    pages.MarkPresent(entry);
  }
}

FirmwareSetStatus ReadController(const std::string& path, int index, ControllerPages& pages,
                                 FirmwareSetProblem& problem) {
  std::string text;
  const FirmwareSetStatus read = ReadWholeFile(path, text, problem);
  if (read != FirmwareSetStatus::ok) return read;
  const HexRange range = ControllerRange(index);
  // An empty file is a controller without data, not a broken HEX file.
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    return Refuse(problem, FirmwareSetStatus::noData, path, 0, "в файле нет данных");
  }
  HexImage image;
  if (ParseIntelHex(text, range, image, problem.hex) != HexStatus::ok) {
    return Refuse(problem, FirmwareSetStatus::badHex, path, problem.hex.line,
                  HexProblemReason(problem.hex, range));
  }
  if (image.bytes.empty()) {
    return Refuse(problem, FirmwareSetStatus::noData, path, 0, "в файле нет данных");
  }
  pages = ControllerPages();
  CutIntoPages(image, pages);
  return FirmwareSetStatus::ok;
}

// The folder must be one and hold all three files; which is missing is said
// before any file is read.
FirmwareSetStatus CheckFolder(const std::string& folder, FirmwareSetProblem& problem) {
  PathKind kind = PathKind::other;
  if (InspectPath(folder.c_str(), &kind) != 0) {
    return Refuse(problem, FirmwareSetStatus::notAFolder, folder, 0, "папки нет");
  }
  if (kind != PathKind::directory) {
    return Refuse(problem, FirmwareSetStatus::notAFolder, folder, 0, "это не папка");
  }
  int present = 0;
  std::string missing;
  for (const char* name : firmwareSetFiles) {
    if (Exists(folder + "/" + name)) {
      ++present;
    } else if (missing.empty()) {
      missing = folder + "/" + name;
    }
  }
  if (present == 0) {
    return Refuse(problem, FirmwareSetStatus::notASet, folder, 0,
                  "это не набор прошивок: нет controller1.hex, controller2.hex и controller3.hex");
  }
  if (!missing.empty()) {
    return Refuse(problem, FirmwareSetStatus::missingFile, missing, 0, "файла нет");
  }
  return FirmwareSetStatus::ok;
}

}  // namespace

ControllerPages::ControllerPages()
    : storage(size_t(firmwareTableEntries) * pageSize, erasedByte),
      entries(firmwareTableEntries, nullptr),
      table{entries.data(), firmwareTableEntries} {}

ControllerPages::ControllerPages(const ControllerPages& other)
    : storage(other.storage), entries(firmwareTableEntries, nullptr),
      table{entries.data(), firmwareTableEntries} {
  for (int entry = 0; entry < firmwareTableEntries; ++entry) {
    if (other.entries[entry] != nullptr) MarkPresent(entry);
  }
}

ControllerPages& ControllerPages::operator=(const ControllerPages& other) {
  if (this != &other) *this = ControllerPages(other);
  return *this;
}

void ControllerPages::MarkPresent(int entry) { entries[entry] = PageBytes(entry); }

void AddDefaultCoefficients(ControllerPages& pages) {
  const DefaultCoefficientImage image = DefaultCoefficients();
  const int firstEntry = int((coefficientPagesStart - firmwareBase) / pageSize);
  for (int k = 0; k < coefficientPageCount; ++k) {
    std::copy(image.begin() + k * pageSize, image.begin() + (k + 1) * pageSize,
              pages.PageBytes(firstEntry + k));
    pages.MarkPresent(firstEntry + k);
  }
}

std::string SetFolder(const std::string& given) {
  // The messages name the set's files without "//".
  std::string folder = given;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

FirmwareTables SetTables(const FirmwareSet& set) {
  return {&set.controllers[0].table, &set.controllers[1].table, &set.controllers[2].table};
}

HexRange ControllerRange(int controllerIndex) {
  return {firmwareBase, controllerLayouts[controllerIndex].firmwareEnd};
}

FirmwareSetStatus ReadFirmwareSet(const std::string& given, FirmwareSet& set,
                                  FirmwareSetProblem& problem) {
  problem = FirmwareSetProblem{};
  const std::string folder = SetFolder(given);
  FirmwareSetStatus status = CheckFolder(folder, problem);
  for (int k = 0; k < controllerCount && status == FirmwareSetStatus::ok; ++k) {
    status = ReadController(folder + "/" + firmwareSetFiles[k], k, set.controllers[k], problem);
  }
  if (status != FirmwareSetStatus::ok) return status;
  status = ReadRelease(folder, set.release, problem);
  if (status != FirmwareSetStatus::ok) return status;
  AddDefaultCoefficients(set.controllers[coefficientController.number - 1]);
  set.sha256.clear();
  return FirmwareSetStatus::ok;
}

std::string DescribeFirmwareSetProblem(const FirmwareSetProblem& problem) {
  if (problem.line > 0) {
    return problem.file + ", строка " + std::to_string(problem.line) + ": " + problem.reason;
  }
  return problem.file + ": " + problem.reason;
}
