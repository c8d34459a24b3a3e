// The adapter's facts on Windows, read from the registry only: the port's
// device as Device Manager knows it, its driver service and hardware id,
// and for FTDI adapters the LatencyTimer among its device parameters.
#include <windows.h>

#include "link/adapter_facts.h"
#include "link/port_devices_win32.h"

namespace {

const wchar_t latencyTimerValue[] = L"LatencyTimer";

int LatencyTimerOf(HDEVINFO devices, SP_DEVINFO_DATA* device) {
  HKEY key = SetupDiOpenDevRegKey(devices, device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return latencyTimerUnknown;
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  const LONG result = RegQueryValueExW(key, latencyTimerValue, nullptr, &type,
                                       reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_DWORD) return latencyTimerUnknown;
  return LatencyTimerFromText(std::to_string(value));
}

}  // namespace

AdapterFacts ReadAdapterFacts(const std::string& device, const ComPort& port) {
  (void)port;  // Windows has no low-latency request to report
  AdapterFacts facts;
  facts.source = FactsSource::registry;
  ForEachPortDevice([&](HDEVINFO devices, SP_DEVINFO_DATA* info, const std::string& name) {
    if (!facts.portName.empty() || !SameDevice(name, device)) return;
    facts.portName = name;
    facts.friendlyName = DeviceManagerName(devices, info);
    facts.driver = DeviceProperty(devices, info, SPDRP_SERVICE);
    UsbIdsFromHardwareId(DeviceProperty(devices, info, SPDRP_HARDWAREID), &facts);
    facts.latencyTimerMs = LatencyTimerOf(devices, info);
  });
  return facts;
}
