// The C runtime's narrow calls take the ANSI code page, so a UTF-8 name with
// Cyrillic letters would not be found; names that are not UTF-8 (a command
// line in the ANSI code page) are passed on as they are.
#include <windows.h>

#include <sys/stat.h>

#include <string>

#include "coeff/file_access.h"
#include "platform/wide_path_win32.h"

std::FILE* OpenForReading(const char* path) {
  std::wstring wide;
  if (WidenUtf8Path(path, wide)) return _wfopen(wide.c_str(), L"rb");
  return std::fopen(path, "rb");
}

int InspectPath(const char* path, PathKind* kind) {
  struct _stat64 info;
  std::wstring wide;
  const int result =
      WidenUtf8Path(path, wide) ? _wstat64(wide.c_str(), &info) : _stat64(path, &info);
  if (result != 0) return -1;
  if ((info.st_mode & _S_IFMT) == _S_IFREG) *kind = PathKind::regular;
  else if ((info.st_mode & _S_IFMT) == _S_IFDIR) *kind = PathKind::directory;
  else *kind = PathKind::other;
  return 0;
}
