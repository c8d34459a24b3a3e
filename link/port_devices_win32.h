// Windows: the devices that carry a port name, as Device Manager knows them.
// Port discovery describes ports by them; the adapter's facts come from them.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <functional>
#include <string>

std::string Utf8(const wchar_t* text);

// Calls `visit` with each present device of the Ports and Modem classes
// (some USB adapters and phones register as modems) and its "PortName"
// ("COM7"); devices without one are left out.
void ForEachPortDevice(
    const std::function<void(HDEVINFO, SP_DEVINFO_DATA*, const std::string&)>& visit);

// What Device Manager shows for the device: its friendly name, else its
// description; "" when it has neither.
std::string DeviceManagerName(HDEVINFO devices, SP_DEVINFO_DATA* device);

// A text property of the device (SPDRP_SERVICE, the first of SPDRP_HARDWAREID), or "".
std::string DeviceProperty(HDEVINFO devices, SP_DEVINFO_DATA* device, DWORD property);
