// Names are widened as in file_access_win32.cpp; names that are not UTF-8
// go to the ANSI calls as they are.
#include <windows.h>

#include <string>

#include "coeff/file_output.h"

namespace {

bool Widen(const char* path, std::wstring& wide) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
  if (length <= 0) return false;
  wide.resize(length);
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, &wide[0], length) == length;
}

}  // namespace

const char textLineEnd[] = "\r\n";

bool PathExists(const char* path) {
  std::wstring wide;
  const DWORD attributes =
      Widen(path, wide) ? GetFileAttributesW(wide.c_str()) : GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES;
}

std::FILE* OpenForWriting(const char* path) {
  std::wstring wide;
  if (Widen(path, wide)) return _wfopen(wide.c_str(), L"wb");
  return std::fopen(path, "wb");
}

int MoveIntoPlace(const char* from, const char* to, bool replace) {
  const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
  std::wstring wideFrom, wideTo;
  if (Widen(from, wideFrom) && Widen(to, wideTo)) {
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(), flags) ? 0 : -1;
  }
  return MoveFileExA(from, to, flags) ? 0 : -1;
}

int RemoveFile(const char* path) {
  std::wstring wide;
  const BOOL removed = Widen(path, wide) ? DeleteFileW(wide.c_str()) : DeleteFileA(path);
  return removed ? 0 : -1;
}
