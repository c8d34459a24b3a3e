// The computer's serial port to the device: 57600 baud, 8N1, no flow control,
// non-blocking reads. One file per platform implements it.
#pragma once

#include <string>

#include "link/serial_line.h"

#ifdef _WIN32
using PortHandle = void*;  // a Win32 HANDLE
#else
using PortHandle = int;    // a file descriptor
#endif

// What every backend promises: a read with nothing waiting gives up after
// this long, and Write pauses this long when the port took nothing, giving up
// after writeStallLimit such pauses in a row (the port is taken to be gone).
constexpr int readWaitMilliseconds = 1;
constexpr int writeRetryPauseMilliseconds = 1;
constexpr int writeStallLimit = 1000;

// Why the last Open failed, for front ends that can say more than the log.
enum class PortError { none, missing, busy, noPermission, settingsRefused };

// What Open's request for low latency came to: Linux's ASYNC_LOW_LATENCY,
// which the FTDI driver turns into a 1 ms latency timer. Windows has no such
// request, and a pty or a built-in port may not say.
enum class LowLatency { notKnown, granted, refused };

// The flag as Open found it and what its request came to, so that Close puts
// it back: the FTDI driver keeps it until the adapter is unplugged, and other
// programs should find the adapter as they left it.
struct LowLatencyAtOpen {
  LowLatency request = LowLatency::notKnown;
  bool wasSet = false;  // on before Open asked
};

// True when Close is to clear the flag: Open turned it on and it is on still.
bool ClearLowLatencyAtClose(const LowLatencyAtOpen& atOpen, bool setNow);

class ComPort final : public SerialLine {
 public:
  ComPort() = default;
  ~ComPort() override;
  ComPort(const ComPort&) = delete;
  ComPort& operator=(const ComPort&) = delete;

  // Opens COM1..COM4 by its digit '1'..'4'. Returns 0 or -1.
  int Open(char portDigit);
  // Opens any serial device by name. Returns 0 or -1.
  int OpenDevice(const char* deviceName);
  void Close();
  bool IsOpen() const { return isOpen != 0; }
  PortError LastError() const { return lastError; }
  // What the last Open's low-latency request came to.
  LowLatency LowLatencyAnswer() const { return lowLatency.request; }

  void Write(int count, const uint8_t* data) override;
  int Read(int count, uint8_t* buffer) override;
  bool WaitForData(int milliseconds) override;
  void ClearReceive() override;
  void AbortAndClearReceive() override;

 private:
  int isOpen = 0;
  int pending = 0;  // bytes of the block being written that are still to go
  PortHandle handle{};
  PortError lastError = PortError::none;
  LowLatencyAtOpen lowLatency;
  std::string lockFile;  // POSIX: the lock file taken with the port, "" for none
};

// The port's name is one of the digits '1'..'4' that stand for COM1..COM4.
bool IsPortDigit(const std::string& port);

// The device name that port digit '1'..'4' stands for on this platform.
// Writes at most `size` bytes including the terminating NUL.
void PortDeviceName(char portDigit, char* name, int size);

// A short Russian explanation of an Open failure, for messages to the operator.
const char* PortErrorText(PortError error);
