// The record file on Windows: LockFileEx over the whole file, which SMB
// shares honour between computers.
#include <windows.h>

#include "platform/system_reason_win32.h"
#include "platform/wide_path_win32.h"
#include "link/sleep.h"
#include "record/job_record.h"
#include "record/record_file.h"

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

// What must go in front of the row: the header in an empty file, a line
// end after a row a crash cut short.
int Lead(HANDLE file, std::string* lead, std::string* reason) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) {
    *reason = Reason("не удалось узнать размер файла");
    return -1;
  }
  if (size.QuadPart == 0) {
    *lead = RecordHeader();
    return 0;
  }
  OVERLAPPED at{};
  const long long lastByte = size.QuadPart - 1;
  at.Offset = static_cast<DWORD>(lastByte);
  at.OffsetHigh = static_cast<DWORD>(lastByte >> 32);
  char last = 0;
  DWORD got = 0;
  if (!ReadFile(file, &last, 1, &got, &at) || got != 1) {
    *reason = Reason("не удалось прочитать файл");
    return -1;
  }
  if (last != '\n') *lead = "\r\n";
  return 0;
}

int WriteAll(HANDLE file, const std::string& text, std::string* reason) {
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(file, end, nullptr, FILE_END)) {
    *reason = Reason("не удалось дойти до конца файла");
    return -1;
  }
  DWORD written = 0;
  if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
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

}  // namespace

RecordFile::~RecordFile() {
  if (open) CloseHandle(AsHandle(handle));
}

int RecordFile::Open(const std::string& path, std::string* reason) {
  const HANDLE file = OpenShared(path);
  if (file == INVALID_HANDLE_VALUE) {
    *reason = Reason("не удалось открыть");
    return -1;
  }
  if (Lock(file, reason) != 0) {
    CloseHandle(file);
    return -1;
  }
  Unlock(file);
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
  std::string lead;
  int result = Lead(file, &lead, reason);
  if (result == 0) result = WriteAll(file, lead + row, reason);
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
