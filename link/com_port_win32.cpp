// ComPort on Win32 communications handles (COM1..COM4).
#include <windows.h>

#include <cstdio>

#include "link/com_port.h"
#include "link/sleep.h"

namespace {

constexpr DWORD queueSize = 256;
constexpr DWORD readWaitMilliseconds = 1;
constexpr int writeRetryPauseMilliseconds = 1;
// A port that takes no byte for this many retry pauses is taken to be gone.
constexpr int writeStallLimit = 1000;

HANDLE AsHandle(PortHandle handle) { return static_cast<HANDLE>(handle); }

PortError ErrorFromLastError(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return PortError::busy;
    default:
      return PortError::missing;
  }
}

// 57600 8N1, every form of flow control off, DTR and RTS held inactive;
// every other member keeps what the driver reported.
void ApplyLineSettings(DCB& dcb) {
  dcb.BaudRate = CBR_57600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fAbortOnError = FALSE;
}

// Reads return at once with what is waiting, else after at most 1 ms.
void ApplyReadTimeouts(COMMTIMEOUTS& timeouts) {
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
  timeouts.ReadTotalTimeoutConstant = readWaitMilliseconds;
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

}  // namespace

void PortDeviceName(char portDigit, char* name, int size) {
  std::snprintf(name, size, "COM%c", portDigit);
}

int ComPort::OpenDevice(const char* deviceName) {
  Close();
  HANDLE port = CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
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
      // A pulled adapter fails every call (ERROR_BAD_COMMAND, ERROR_ACCESS_DENIED).
      if (!ok) return;
      if (++stalled >= writeStallLimit) return;
      SleepMilliseconds(writeRetryPauseMilliseconds);
    }
    FlushFileBuffers(AsHandle(handle));
  }
}

int ComPort::Read(int count, uint8_t* buffer) {
  if (!isOpen || count <= 0) return 0;
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle), buffer, static_cast<DWORD>(count), &got, nullptr)) return 0;
  return static_cast<int>(got);
}

void ComPort::ClearReceive() {
  if (isOpen) PurgeComm(AsHandle(handle), PURGE_RXCLEAR);
}

void ComPort::AbortAndClearReceive() {
  if (isOpen) PurgeComm(AsHandle(handle), PURGE_RXABORT | PURGE_RXCLEAR);
}
