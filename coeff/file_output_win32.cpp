// Whole files on Windows: written under a short temporary name beside the
// target and moved into place. Names that are not UTF-8 go to the ANSI
// calls as they are.
#include <windows.h>

#include <cstring>
#include <string>

#include "coeff/file_output.h"
#include "platform/system_reason_win32.h"
#include "platform/wide_path_win32.h"

const char textLineEnd[] = "\r\n";

namespace {

// Short, so that it fits beside a target whose name is as long as names go.
const char temporaryStem[] = "velt-save";
const char temporarySuffix[] = ".tmp";
// Names tried for a temporary file; one left behind by a crashed run, or
// somebody else's, is passed over rather than overwritten.
constexpr int temporaryNameTries = 100;

// The target's folder as the start of a path: "D:\\data\\", "C:" (the drive's
// current folder) or "" (the current folder).
std::string FolderPrefix(const std::string& path) {
  const size_t end = path.find_last_of("/\\:");
  return end == std::string::npos ? "" : path.substr(0, end + 1);
}

std::string TemporaryPath(const std::string& folder, int attempt) {
  const std::string number = attempt == 0 ? "" : "." + std::to_string(attempt);
  return folder + temporaryStem + number + temporarySuffix;
}

FileWriteReport Failure(const std::string& what, DWORD error) {
  return {WriteOutcome::failed, what + ": " + SystemReason(error)};
}

HANDLE CreateNew(const std::string& path) {
  std::wstring wide;
  if (WidenUtf8Path(path.c_str(), wide)) {
    return CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }
  return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

HANDLE CreateTemporary(const std::string& folder, std::string* temporary) {
  for (int attempt = 0; attempt < temporaryNameTries; ++attempt) {
    *temporary = TemporaryPath(folder, attempt);
    const HANDLE handle = CreateNew(*temporary);
    if (handle != INVALID_HANDLE_VALUE) return handle;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE handle, const std::string& content) {
  size_t done = 0;
  while (done < content.size()) {
    DWORD written = 0;
    const DWORD size = DWORD(content.size() - done);
    if (!WriteFile(handle, content.data() + done, size, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

// Write-through: the move is on the disk, the folder's entry with it, when
// the call returns (the folder itself cannot be flushed on Windows).
bool MoveIntoPlace(const std::string& from, const std::string& to, bool replace) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  std::wstring wideFrom, wideTo;
  if (WidenUtf8Path(from.c_str(), wideFrom) && WidenUtf8Path(to.c_str(), wideTo)) {
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(), flags) != 0;
  }
  return MoveFileExA(from.c_str(), to.c_str(), flags) != 0;
}

void Remove(const std::string& path) {
  std::wstring wide;
  if (WidenUtf8Path(path.c_str(), wide)) {
    DeleteFileW(wide.c_str());
  } else {
    DeleteFileA(path.c_str());
  }
}

DWORD Attributes(const char* path) {
  std::wstring wide;
  return WidenUtf8Path(path, wide) ? GetFileAttributesW(wide.c_str()) : GetFileAttributesA(path);
}

}  // namespace

bool PathExists(const char* path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const char* path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

FolderContent InspectFolder(const char* path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FolderContent::missing
                                                                          : FolderContent::unreadable;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return FolderContent::notAFolder;
  std::wstring pattern;
  if (!WidenUtf8Path((std::string(path) + "\\*").c_str(), pattern)) return FolderContent::unreadable;
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return FolderContent::unreadable;
  FolderContent content = FolderContent::empty;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") content = FolderContent::notEmpty;
  } while (content == FolderContent::empty && FindNextFileW(search, &entry));
  FindClose(search);
  return content;
}

int MakeFolder(const char* path, std::string* reason) {
  std::wstring wide;
  const bool made = WidenUtf8Path(path, wide) ? CreateDirectoryW(wide.c_str(), nullptr) != 0
                                              : CreateDirectoryA(path, nullptr) != 0;
  if (made) return 0;
  *reason = std::string("не удалось создать папку ") + path + ": " + SystemReason(GetLastError());
  return -1;
}

FileWriteReport WriteWholeFile(const char* path, const std::string& content, bool replace,
                               TemporaryName) {
  const std::string target = path;
  const std::string folder = FolderPrefix(target);
  std::string temporary;
  const HANDLE handle = CreateTemporary(folder, &temporary);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return Failure("не удалось создать файл в папке " + (folder.empty() ? "." : folder), error);
  }
  const bool written = WriteAll(handle, content) && FlushFileBuffers(handle);
  const DWORD writeError = GetLastError();
  CloseHandle(handle);
  if (!written) {
    Remove(temporary);
    return Failure("не удалось записать " + temporary, writeError);
  }
  if (!MoveIntoPlace(temporary, target, replace)) {
    const DWORD error = GetLastError();
    Remove(temporary);
    if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
      return {WriteOutcome::exists, ""};
    }
    return Failure("не удалось дать файлу имя " + target, error);
  }
  return {WriteOutcome::written, ""};
}
