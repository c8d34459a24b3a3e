#include <windows.h>

#include "platform/wide_path_win32.h"
#include "record/same_file.h"

namespace {

// As the record and the coefficient files are opened: UTF-8, else the ANSI
// code page.
std::wstring Wide(const std::string& path) {
  std::wstring wide;
  if (WidenUtf8Path(path.c_str(), wide)) return wide;
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (length <= 0) return L"";
  wide.assign(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
  wide.resize(static_cast<std::size_t>(length - 1));
  return wide;
}

// Volume and file index, read through a handle that asks for no access and
// shares everything, so that a file open elsewhere is looked at all the same.
bool Identity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
  const HANDLE file =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, info) != 0;
  CloseHandle(file);
  return known;
}

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
  full.resize(length);
  return full;
}

}  // namespace

bool SameFile(const std::string& first, const std::string& second) {
  const std::wstring a = Wide(first), b = Wide(second);
  BY_HANDLE_FILE_INFORMATION aInfo{}, bInfo{};
  const bool firstThere = Identity(a, &aInfo);
  const bool secondThere = Identity(b, &bInfo);
  if (firstThere && secondThere) {
    return aInfo.dwVolumeSerialNumber == bInfo.dwVolumeSerialNumber &&
           aInfo.nFileIndexHigh == bInfo.nFileIndexHigh &&
           aInfo.nFileIndexLow == bInfo.nFileIndexLow;
  }
  if (firstThere || secondThere) return false;
  // Windows names its files without regard to case.
  return CompareStringOrdinal(FullPath(a).c_str(), -1, FullPath(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}
