// The parts of ComPort that every platform shares.
#include "link/com_port.h"

ComPort::~ComPort() { Close(); }

bool IsPortDigit(const std::string& port) {
  return port.size() == 1 && port[0] >= '1' && port[0] <= '4';
}

int ComPort::Open(char portDigit) {
  if (portDigit < '1' || portDigit > '4') {
    lastError = PortError::missing;
    return -1;
  }
  char name[256];
  PortDeviceName(portDigit, name, sizeof name);
  return OpenDevice(name);
}

bool ClearLowLatencyAtClose(const LowLatencyAtOpen& atOpen, bool setNow) {
  return atOpen.request == LowLatency::granted && !atOpen.wasSet && setNow;
}

const char* PortErrorText(PortError error) {
  switch (error) {
    case PortError::none:
      return "порт открыт";
    case PortError::missing:
      return "порт не найден";
    case PortError::busy:
      return "порт занят другой программой";
    case PortError::noPermission:
      return "нет прав на порт (добавьте пользователя в группу dialout)";
    case PortError::settingsRefused:
      return "порт не принял настройки 57600 8N1";
  }
  return "неизвестная ошибка порта";
}
