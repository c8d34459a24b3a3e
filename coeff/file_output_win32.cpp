// Names that are not UTF-8 go to the ANSI calls as they are.
#include <fcntl.h>
#include <io.h>
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

std::FILE* CreateForWriting(const char* path) {
  std::wstring wide;
  const HANDLE handle =
      WidenUtf8Path(path, wide)
          ? CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                        nullptr)
          : CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) _close(fd);  // closes the handle too
  return file;
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
