#include "platform/wide_path_win32.h"

#include <windows.h>

bool WidenUtf8Path(const char* path, std::wstring& wide) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
  if (length <= 0) return false;
  wide.resize(length);
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, &wide[0], length) == length;
}
