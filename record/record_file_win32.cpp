// The record file on Windows: LockFileEx over the whole file, which SMB
// shares honour between computers.
#include <windows.h>

#include "platform/system_reason_win32.h"
#include "platform/wide_path_win32.h"
#include "link/sleep.h"
#include "record/job_record.h"
#include "record/record_file.h"
#include "record/record_file_shape.h"

namespace {

constexpr DWORD wholeFile = MAXDWORD;  // the lock's length, low and high halves

HANDLE AsHandle(RecordHandle handle) { return static_cast<HANDLE>(handle); }

std::string Reason(const char* what) { return std::string(what) + ": " + SystemReason(GetLastError()); }

int Lock(HANDLE file, std::string* reason) {
  for (int attempt = 0; attempt < recordLockAttempts; ++attempt) {
    OVERLAPPED from{};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, wholeFile,
                   wholeFile, &from)) {
      return 0;
    }
    if (GetLastError() != ERROR_LOCK_VIOLATION) {
      *reason = Reason("не удалось запереть файл");
      return -1;
    }
    SleepMilliseconds(recordLockRetryMilliseconds);
  }
  *reason = "файл занят другой программой";
  return -1;
}

void Unlock(HANDLE file) {
  OVERLAPPED from{};
  UnlockFileEx(file, 0, wholeFile, wholeFile, &from);
}

ReadRecordBytes ReaderOf(HANDLE file) {
  return [file](long long offset, char* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
      OVERLAPPED at{};
      const long long from = offset + static_cast<long long>(done);
      at.Offset = static_cast<DWORD>(from);
      at.OffsetHigh = static_cast<DWORD>(from >> 32);
      DWORD got = 0;
      if (!ReadFile(file, buffer + done, static_cast<DWORD>(count - done), &got, &at) || got == 0) {
        return false;
      }
      done += got;
    }
    return true;
  };
}

long long SizeOf(HANDLE file) {
  LARGE_INTEGER size{};
  return GetFileSizeEx(file, &size) ? size.QuadPart : -1;
}

// Whatever a failed write left is taken out again: a row that is not all
// there would read as one that is.
void CutBack(HANDLE file, long long size) {
  LARGE_INTEGER at{};
  at.QuadPart = size;
  if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) SetEndOfFile(file);
}
int WriteAll(HANDLE file, const std::string& text, std::string* reason) {
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(file, end, nullptr, FILE_END)) {
    *reason = Reason("не удалось дойти до конца файла");
    return -1;
  }
  DWORD written = 0;
  if (text.size() > MAXDWORD || !WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
      written != text.size()) {
    *reason = Reason("не удалось записать строку");
    return -1;
  }
  if (!FlushFileBuffers(file)) {
    *reason = Reason("не удалось сбросить файл на диск");
    return -1;
  }
  return 0;
}

// Without FILE_SHARE_DELETE nobody can move or remove the file while it is
// open, so the name always leads to it (log rotation waits for the run).
HANDLE OpenShared(const std::string& path) {
  constexpr DWORD shared = FILE_SHARE_READ | FILE_SHARE_WRITE;
  std::wstring wide;
  if (WidenUtf8Path(path.c_str(), wide)) {
    return CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, shared, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, shared, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsFolder(const std::string& path) {
  std::wstring wide;
  const DWORD attributes = WidenUtf8Path(path.c_str(), wide) ? GetFileAttributesW(wide.c_str())
                                                              : GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

RecordFile::~RecordFile() {
  if (open) CloseHandle(AsHandle(handle));
}

int RecordFile::Open(const std::string& path, std::string* reason) {
  // Opened again (another name, or after a failure): the old one goes.
  std::lock_guard<std::mutex> guard(mutex);
  if (open) CloseHandle(AsHandle(handle));
  open = false;
  if (IsFolder(path)) {
    *reason = "это папка, а не файл";
    return -1;
  }
  const HANDLE file = OpenShared(path);
  if (file == INVALID_HANDLE_VALUE) {
    *reason = Reason("не удалось открыть");
    return -1;
  }
  // NUL, CON, a COM port or a pipe would take no row, or not keep it.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    *reason = "это устройство или канал, а не файл";
    CloseHandle(file);
    return -1;
  }
  if (Lock(file, reason) != 0) {
    CloseHandle(file);
    return -1;
  }
  oddity = RecordOddity(ReaderOf(file), SizeOf(file));
  Unlock(file);
  name = path;
  handle = file;
  open = true;
  return 0;
}

int RecordFile::Append(const std::string& row, std::string* reason) {
  std::lock_guard<std::mutex> guard(mutex);
  if (!open) {
    *reason = "файл не открыт";
    return -1;
  }
  const HANDLE file = AsHandle(handle);
  if (Lock(file, reason) != 0) return -1;
  const long long size = SizeOf(file);
  if (size < 0) {
    *reason = Reason("не удалось узнать размер файла");
    Unlock(file);
    return -1;
  }
  std::string lead;
  int result = RecordLead(ReaderOf(file), size, &quotes, &lead, reason);
  if (result == 0) result = WriteAll(file, lead + row, reason);
  if (result != 0) CutBack(file, size);
  Unlock(file);
  return result;
}

std::string HostName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return "";
  const int length = WideCharToMultiByte(CP_UTF8, 0, name, int(size), nullptr, 0, nullptr, nullptr);
  std::string text(length > 0 ? length : 0, '\0');
  if (length > 0) WideCharToMultiByte(CP_UTF8, 0, name, int(size), &text[0], length, nullptr, nullptr);
  return text;
}
