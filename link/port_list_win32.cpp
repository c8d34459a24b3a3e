// Port discovery on Windows: the ports the serial drivers register under
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, and any COMn the DOS device names know
// (some virtual port drivers register only there), described as Device
// Manager names their devices.
#include <windows.h>
#include <setupapi.h>

#include <cstring>

#include "link/friendly_name.h"
#include "link/port_list.h"

namespace {

const char serialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
const char deviceNamespace[] = "\\\\.\\";
// The DOS device list of a busy machine runs to a few tens of kilobytes;
// past this something is wrong and the registry's list has to do.
constexpr DWORD maxDosDeviceListSize = 1 << 20;
constexpr DWORD firstDosDeviceListSize = 16 * 1024;

// The device classes whose devices carry a port name: ports, and modems
// (some USB adapters and phones register as those).
const GUID portsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const GUID modemClass = {0x4d36e96d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const wchar_t portNameValue[] = L"PortName";
// Registry texts longer than these are not port names or device names.
constexpr int maxPortNameLength = 64;
constexpr int maxDeviceNameLength = 512;

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
  ports->push_back({name, name, ""});
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

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string utf8(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], size, nullptr, nullptr);
  utf8.resize(size - 1);
  return utf8;
}

// The device's "PortName" ("COM7") from its own registry key, or "".
std::string PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA* device) {
  HKEY key = SetupDiOpenDevRegKey(devices, device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return "";
  wchar_t name[maxPortNameLength] = {};
  DWORD size = sizeof name - sizeof name[0];  // room for a NUL the registry may leave out
  DWORD type = 0;
  const LONG result = RegQueryValueExW(key, portNameValue, nullptr, &type,
                                       reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_SZ ? Utf8(name) : "";
}

// What Device Manager shows for the device: its friendly name, else its
// description.
std::string DeviceManagerName(HDEVINFO devices, SP_DEVINFO_DATA* device) {
  for (const DWORD property : {SPDRP_FRIENDLYNAME, SPDRP_DEVICEDESC}) {
    wchar_t text[maxDeviceNameLength] = {};
    DWORD type = 0;
    if (SetupDiGetDeviceRegistryPropertyW(devices, device, property, &type,
                                          reinterpret_cast<BYTE*>(text),
                                          sizeof text - sizeof text[0], nullptr) &&
        type == REG_SZ && text[0] != L'\0') {
      return Utf8(text);
    }
  }
  return "";
}

void AddDescriptionsFromClass(const GUID& deviceClass, std::vector<PortInfo>* ports) {
  HDEVINFO devices = SetupDiGetClassDevsW(&deviceClass, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const std::string name = PortNameOf(devices, &device);
    if (name.empty()) continue;
    for (PortInfo& port : *ports) {
      if (!port.description.empty() || !SameDevice(port.name, name)) continue;
      port.description = DescriptionFromFriendlyName(DeviceManagerName(devices, &device), port.name);
    }
  }
  SetupDiDestroyDeviceInfoList(devices);
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
  AddDescriptionsFromClass(portsClass, &ports);
  AddDescriptionsFromClass(modemClass, &ports);
  SortPorts(&ports);
  return ports;
}

bool SameDevice(const std::string& a, const std::string& b) {
  return _stricmp(WithoutNamespace(a).c_str(), WithoutNamespace(b).c_str()) == 0;
}
