// Port discovery on Windows: the ports the serial drivers register under
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, and any COMn the DOS device names know
// (some virtual port drivers register only there), described as Device
// Manager names their devices.
#include <windows.h>

#include <cstring>

#include "link/friendly_name.h"
#include "link/port_devices_win32.h"
#include "link/port_list.h"

namespace {

const char serialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
const char deviceNamespace[] = "\\\\.\\";
// The DOS device list of a busy machine runs to a few tens of kilobytes;
// past this something is wrong and the registry's list has to do.
constexpr DWORD maxDosDeviceListSize = 1 << 20;
constexpr DWORD firstDosDeviceListSize = 16 * 1024;

bool IsComName(const char* name) {
  if (_strnicmp(name, "COM", 3) != 0 || name[3] == '\0') return false;
  for (const char* c = name + 3; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
  }
  return true;
}

void AddPort(const std::string& name, std::vector<PortInfo>* ports) {
  PortInfo known;
  if (name.empty() || FindPort(*ports, name, &known)) return;
  ports->push_back({name, name, "", ""});
}

void AddRegisteredPorts(std::vector<PortInfo>* ports) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, serialCommKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (DWORD index = 0;; ++index) {
    char valueName[MAX_PATH];
    DWORD valueNameSize = sizeof valueName;
    char data[MAX_PATH] = {};
    DWORD dataSize = sizeof data - 1;  // room for a NUL the registry may leave out
    DWORD type = 0;
    const LONG result = RegEnumValueA(key, index, valueName, &valueNameSize, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataSize);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    AddPort(data, ports);
  }
  RegCloseKey(key);
}

void AddDosDevicePorts(std::vector<PortInfo>* ports) {
  std::vector<char> names(firstDosDeviceListSize);
  while (QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size())) == 0) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || names.size() >= maxDosDeviceListSize) return;
    names.resize(names.size() * 2);
  }
  // NUL-separated names, ended by an empty one.
  for (const char* name = names.data(); *name != '\0'; name += std::strlen(name) + 1) {
    if (IsComName(name)) AddPort(name, ports);
  }
}

void AddDescriptions(std::vector<PortInfo>* ports) {
  ForEachPortDevice([&](HDEVINFO devices, SP_DEVINFO_DATA* device, const std::string& name) {
    for (PortInfo& port : *ports) {
      if (!port.description.empty() || !SameDevice(port.name, name)) continue;
      port.description = DescriptionFromFriendlyName(DeviceManagerName(devices, device), port.name);
    }
  });
}

std::string WithoutNamespace(const std::string& name) {
  return name.compare(0, sizeof deviceNamespace - 1, deviceNamespace) == 0
             ? name.substr(sizeof deviceNamespace - 1)
             : name;
}

}  // namespace

std::vector<PortInfo> ListPorts() {
  std::vector<PortInfo> ports;
  AddRegisteredPorts(&ports);
  AddDosDevicePorts(&ports);
  AddDescriptions(&ports);
  SortPorts(&ports);
  return ports;
}

bool SameDevice(const std::string& a, const std::string& b) {
  return _stricmp(WithoutNamespace(a).c_str(), WithoutNamespace(b).c_str()) == 0;
}
