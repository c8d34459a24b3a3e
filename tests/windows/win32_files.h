// What the Windows tests share: UTF-8 names as Windows takes them, a file's
// bytes, a folder of the test's own, and whether wine runs the test.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

inline std::wstring Wide(const std::string& utf8) {
  std::wstring wide(utf8.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], int(wide.size()));
  wide.resize(n > 0 ? n - 1 : 0);
  return wide;
}

// The whole file, named in UTF-8; empty when it cannot be read.
inline std::string TextOf(const std::string& utf8Path) {
  std::string text;
  if (std::FILE* file = _wfopen(Wide(utf8Path).c_str(), L"rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
  }
  return text;
}

// The system's folder for temporary files, with its trailing backslash; ""
// when it has none.
inline std::string TempPath() {
  char base[MAX_PATH];
  return GetTempPathA(sizeof base, base) != 0 ? base : "";
}

// TEMP\PREFIX-PID, made if it is not there yet; "" when it cannot be.
inline std::string TempFolder(const std::string& prefix) {
  const std::string base = TempPath();
  const std::string folder = base + prefix + "-" + std::to_string(GetCurrentProcessId());
  if (base.empty()) return "";
  const bool made =
      CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
  return made ? folder : "";
}

// wine lets a second handle open a serial port that the first holds without
// sharing, and has no device behind its ports; Windows itself does both.
inline bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
