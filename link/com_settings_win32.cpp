#include "link/com_settings_win32.h"

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

// MAXDWORD / MAXDWORD / C: return at once with what has arrived, else wait at
// most C ms for the first byte. The write time-outs stay as the driver has them.
void ApplyReadTimeouts(COMMTIMEOUTS& timeouts) {
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
  timeouts.ReadTotalTimeoutConstant = portReadWaitMilliseconds;
}
