#include "platform/system_reason_win32.h"

#include <windows.h>

#include <cstring>

std::string SystemReason(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason;
  const int size =
      length > 0 ? WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr)
                 : 0;
  if (size > 0) {
    reason.resize(size);
    WideCharToMultiByte(CP_UTF8, 0, text, int(length), &reason[0], size, nullptr, nullptr);
  }
  LocalFree(text);
  while (!reason.empty() && std::strchr("\r\n.", reason.back()) != nullptr) reason.pop_back();
  return reason.empty() ? "ошибка " + std::to_string(error) : reason;
}
