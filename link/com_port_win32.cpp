// ComPort on Win32 communications handles (COM1..COM4, or any port by name).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/com_port.h"
#include "link/com_settings_win32.h"
#include "link/sleep.h"

namespace {

constexpr DWORD queueSize = 256;
// COM10 and above open only through the device namespace.
constexpr long firstPortNeedingPrefix = 10;
constexpr char deviceNamespace[] = "\\\\.\\";

HANDLE AsHandle(PortHandle handle) { return static_cast<HANDLE>(handle); }

PortError ErrorFromLastError(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:  // what another program's open handle gives
    case ERROR_SHARING_VIOLATION:
      return PortError::busy;
    default:
      return PortError::missing;
  }
}

bool Configure(HANDLE port) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(port, &dcb)) return false;
  ApplyLineSettings(dcb);
  if (!SetCommState(port, &dcb)) return false;
  COMMTIMEOUTS timeouts{};
  if (!GetCommTimeouts(port, &timeouts)) return false;
  ApplyReadTimeouts(timeouts);
  return SetCommTimeouts(port, &timeouts) != 0;
}

// "COM12" (or "com12") becomes "\\.\COM12"; COM1..COM9 and every other name
// stay as given.
void NameForCreateFile(const char* deviceName, char* name, int size) {
  const bool isComPort = _strnicmp(deviceName, "COM", 3) == 0;
  char* end = nullptr;
  const long number = isComPort ? std::strtol(deviceName + 3, &end, 10) : 0;
  const bool needsPrefix = isComPort && end != deviceName + 3 && *end == '\0' &&
                           number >= firstPortNeedingPrefix;
  std::snprintf(name, size, "%s%s", needsPrefix ? deviceNamespace : "", deviceName);
}

}  // namespace

void PortDeviceName(char portDigit, char* name, int size) {
  std::snprintf(name, size, "COM%c", portDigit);
}

int ComPort::OpenDevice(const char* deviceName) {
  Close();
  char name[MAX_PATH];
  NameForCreateFile(deviceName, name, sizeof name);
  HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    lastError = ErrorFromLastError(GetLastError());
    return -1;
  }
  if (!Configure(port)) {
    CloseHandle(port);
    lastError = PortError::settingsRefused;
    return -1;
  }
  // Their results do not matter: a port that got this far works without them.
  PurgeComm(port, PURGE_TXCLEAR | PURGE_RXCLEAR);
  SetupComm(port, queueSize, queueSize);
  handle = port;
  isOpen = 1;
  lastError = PortError::none;
  return 0;
}

void ComPort::Close() {
  if (!isOpen) return;
  CloseHandle(AsHandle(handle));
  isOpen = 0;
}

void ComPort::Write(int count, const uint8_t* data) {
  if (!isOpen) return;
  pending = count;
  int stalled = 0;
  while (pending > 0) {
    DWORD written = 0;
    const BOOL ok = WriteFile(AsHandle(handle), data + (count - pending),
                              static_cast<DWORD>(pending), &written, nullptr);
    if (written != 0) {
      pending -= static_cast<int>(written);
      stalled = 0;
    } else {
      // A pulled adapter fails every call (ERROR_BAD_COMMAND, ERROR_ACCESS_DENIED,
      // ERROR_GEN_FAILURE): the missing answers then end the exchange.
      if (!ok) return;
      if (++stalled >= writeStallLimit) return;
      SleepMilliseconds(writeRetryPauseMilliseconds);
    }
    // The frame must have left the computer before polling for its answer.
    FlushFileBuffers(AsHandle(handle));
  }
}

int ComPort::Read(int count, uint8_t* buffer) {
  if (!isOpen || count <= 0) return 0;
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle), buffer, static_cast<DWORD>(count), &got, nullptr)) return 0;
  return static_cast<int>(got);
}

// With reads that return at once there is no wait for the first byte to
// borrow; the queue is looked at before the pause, so data already there
// costs no pause at all.
bool ComPort::WaitForData(int milliseconds) {
  DWORD errors = 0;
  COMSTAT status{};
  if (isOpen && ClearCommError(AsHandle(handle), &errors, &status) && status.cbInQue > 0) {
    return true;
  }
  SleepMilliseconds(milliseconds);
  return false;
}

void ComPort::ClearReceive() {
  if (isOpen) PurgeComm(AsHandle(handle), PURGE_RXCLEAR);
}

void ComPort::AbortAndClearReceive() {
  if (isOpen) PurgeComm(AsHandle(handle), PURGE_RXABORT | PURGE_RXCLEAR);
}
