// Device Manager's names of the ports, read through SetupAPI. Wine has no
// device for its ports, so the test makes one of the Ports class, as an
// adapter's driver does, with a port name and a friendly name, in wine's own
// prefix only; on Windows it would add a device to the machine.
#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/port_listing.h"
#include "link/port_list.h"

namespace {

const GUID portsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring Wide(const std::string& utf8) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], size);
  wide.resize(size - 1);
  return wide;
}

bool SetText(HDEVINFO devices, SP_DEVINFO_DATA* device, DWORD property, const std::wstring& text) {
  const DWORD size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return SetupDiSetDeviceRegistryPropertyW(devices, device, property,
                                           reinterpret_cast<const BYTE*>(text.c_str()), size) != 0;
}

// A registered (so present) device of the Ports class; removed again at the
// end of the scope.
class PortDevice {
 public:
  PortDevice(const std::string& portName, const std::string& friendlyName) {
    devices = SetupDiCreateDeviceInfoList(&portsClass, nullptr);
    device.cbSize = sizeof device;
    if (devices == INVALID_HANDLE_VALUE ||
        !SetupDiCreateDeviceInfoW(devices, L"PORTS", &portsClass, nullptr, nullptr,
                                  DICD_GENERATE_ID, &device) ||
        !SetupDiRegisterDeviceInfo(devices, &device, 0, nullptr, nullptr, nullptr)) {
      return;
    }
    registered = true;
    if (!SetText(devices, &device, SPDRP_FRIENDLYNAME, Wide(friendlyName))) return;
    HKEY key = SetupDiCreateDevRegKeyW(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV,
                                       nullptr, nullptr);
    if (key == INVALID_HANDLE_VALUE) return;
    const std::wstring name = Wide(portName);
    ok = RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                        static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
  }
  ~PortDevice() {
    if (registered) SetupDiRemoveDevice(devices, &device);
    if (devices != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(devices);
  }
  PortDevice(const PortDevice&) = delete;
  PortDevice& operator=(const PortDevice&) = delete;
  bool Ok() const { return ok; }

 private:
  HDEVINFO devices = INVALID_HANDLE_VALUE;
  SP_DEVINFO_DATA device{};
  bool registered = false;
  bool ok = false;
};

std::string ListingText(const std::vector<PortInfo>& ports) {
  std::FILE* out = std::tmpfile();
  if (out == nullptr) return "";
  PrintPortList(ports, out, out);
  std::rewind(out);
  std::string text;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, out) != nullptr) text += buffer;
  std::fclose(out);
  return text;
}

TEST(Win32PortNames, APortIsDescribedByTheNameDeviceManagerShows) {
  if (!UnderWine()) GTEST_SKIP() << "adds a device: only in wine's prefix";
  const std::vector<PortInfo> before = ListPorts();
  if (before.empty()) GTEST_SKIP() << "wine lists no port to describe";
  const std::string port = before.front().name;
  EXPECT_EQ(before.front().description, "") << "wine has no device for its ports";

  struct Case {
    std::string friendlyName;
    std::string description;
  };
  const Case cases[] = {
      {"USB-SERIAL CH340 (" + port + ")", "USB-SERIAL CH340"},
      {"Последовательный порт USB (" + port + ")", "Последовательный порт USB"},
      {"Bluetooth link (COM99)", "Bluetooth link (COM99)"},
  };
  for (const Case& c : cases) {
    PortDevice device(port, c.friendlyName);
    ASSERT_TRUE(device.Ok()) << "SetupAPI refused the device, error " << GetLastError();
    const std::vector<PortInfo> ports = ListPorts();
    PortInfo described;
    ASSERT_TRUE(FindPort(ports, port, &described));
    EXPECT_EQ(described.description, c.description) << c.friendlyName;
    EXPECT_NE(ListingText(ports).find(port + "  " + c.description + "\n"), std::string::npos)
        << ListingText(ports);
    EXPECT_EQ(ports.size(), before.size()) << "a description, not another port";
  }
  PortInfo after;
  ASSERT_TRUE(FindPort(ListPorts(), port, &after));
  EXPECT_EQ(after.description, "") << "the device is gone again";
}

}  // namespace
