#include "link/port_devices_win32.h"

namespace {

// The device classes whose devices carry a port name.
const GUID portsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const GUID modemClass = {0x4d36e96d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const wchar_t portNameValue[] = L"PortName";
// Registry texts longer than these are not port names or device names.
constexpr int maxPortNameLength = 64;
constexpr int maxDeviceNameLength = 512;

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

void ForEachDeviceOf(
    const GUID& deviceClass,
    const std::function<void(HDEVINFO, SP_DEVINFO_DATA*, const std::string&)>& visit) {
  HDEVINFO devices = SetupDiGetClassDevsW(&deviceClass, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const std::string name = PortNameOf(devices, &device);
    if (!name.empty()) visit(devices, &device, name);
  }
  SetupDiDestroyDeviceInfoList(devices);
}

}  // namespace

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string utf8(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], size, nullptr, nullptr);
  utf8.resize(size - 1);
  return utf8;
}

void ForEachPortDevice(
    const std::function<void(HDEVINFO, SP_DEVINFO_DATA*, const std::string&)>& visit) {
  ForEachDeviceOf(portsClass, visit);
  ForEachDeviceOf(modemClass, visit);
}

std::string DeviceProperty(HDEVINFO devices, SP_DEVINFO_DATA* device, DWORD property) {
  // A multi-string property's first string ends at the first NUL as well.
  wchar_t text[maxDeviceNameLength] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(devices, device, property, &type,
                                         reinterpret_cast<BYTE*>(text),
                                         sizeof text - 2 * sizeof text[0], nullptr) ||
      (type != REG_SZ && type != REG_MULTI_SZ)) {
    return "";
  }
  return Utf8(text);
}

std::string DeviceManagerName(HDEVINFO devices, SP_DEVINFO_DATA* device) {
  for (const DWORD property : {SPDRP_FRIENDLYNAME, SPDRP_DEVICEDESC}) {
    const std::string name = DeviceProperty(devices, device, property);
    if (!name.empty()) return name;
  }
  return "";
}
