// Names that are not UTF-8 go to the ANSI calls as they are.
#include <windows.h>

#include <string>

#include "coeff/file_output.h"
#include "coeff/wide_path_win32.h"

const char textLineEnd[] = "\r\n";

bool PathExists(const char* path) {
  std::wstring wide;
  const DWORD attributes =
      WidenUtf8Path(path, wide) ? GetFileAttributesW(wide.c_str()) : GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES;
}

std::FILE* OpenForWriting(const char* path) {
  std::wstring wide;
  if (WidenUtf8Path(path, wide)) return _wfopen(wide.c_str(), L"wb");
  return std::fopen(path, "wb");
}

int MoveIntoPlace(const char* from, const char* to, bool replace) {
  const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
  std::wstring wideFrom, wideTo;
  if (WidenUtf8Path(from, wideFrom) && WidenUtf8Path(to, wideTo)) {
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(), flags) ? 0 : -1;
  }
  return MoveFileExA(from, to, flags) ? 0 : -1;
}

int RemoveFile(const char* path) {
  std::wstring wide;
  const BOOL removed = WidenUtf8Path(path, wide) ? DeleteFileW(wide.c_str()) : DeleteFileA(path);
  return removed ? 0 : -1;
}
