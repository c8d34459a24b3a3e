// Device Manager's names of the ports, read through SetupAPI. Wine has no
// device for its ports, so the test makes one of the Ports class with a port
// name and a friendly name, as an adapter's driver does; in wine's prefix
// only, since on Windows it would add a device to the machine.
#include <windows.h>
#include <setupapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/port_listing.h"
#include "link/adapter_facts.h"
#include "link/port_list.h"
#include "tests/support/stream_text.h"
#include "tests/windows/win32_files.h"

namespace {

const GUID portsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

constexpr DWORD noLatencyTimer = 0xffffffff;

const BYTE* Bytes(const std::wstring& text) { return reinterpret_cast<const BYTE*>(text.c_str()); }
DWORD Size(const std::wstring& text) { return (text.size() + 1) * sizeof(wchar_t); }

// A registered (so present) device of the Ports class, removed at the end of the scope.
struct PortDevice {
  PortDevice(const std::string& portName, const std::string& friendlyName,
             const std::string& hardwareId = "", DWORD latencyTimer = noLatencyTimer) {
    const std::wstring port = Wide(portName), friendly = Wide(friendlyName);
    device.cbSize = sizeof device;
    registered = SetupDiCreateDeviceInfoW(devices, L"PORTS", &portsClass, nullptr, nullptr,
                                          DICD_GENERATE_ID, &device) &&
                 SetupDiRegisterDeviceInfo(devices, &device, 0, nullptr, nullptr, nullptr);
    if (!registered || !SetupDiSetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME,
                                                          Bytes(friendly), Size(friendly))) {
      return;
    }
    HKEY key = SetupDiCreateDevRegKeyW(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr,
                                       nullptr);
    if (key == INVALID_HANDLE_VALUE) return;
    ok = RegSetValueExW(key, L"PortName", 0, REG_SZ, Bytes(port), Size(port)) == ERROR_SUCCESS;
    if (latencyTimer != noLatencyTimer) {
      ok = ok && RegSetValueExW(key, L"LatencyTimer", 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&latencyTimer),
                                sizeof latencyTimer) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    // A multi-string: the id, then the empty string that ends the list.
    const std::wstring ids = Wide(hardwareId) + L'\0';
    if (!hardwareId.empty()) {
      ok = ok && SetupDiSetDeviceRegistryPropertyW(devices, &device, SPDRP_HARDWAREID, Bytes(ids),
                                                   Size(ids));
    }
  }
  ~PortDevice() {
    if (registered) SetupDiRemoveDevice(devices, &device);
    SetupDiDestroyDeviceInfoList(devices);
  }
  HDEVINFO devices = SetupDiCreateDeviceInfoList(&portsClass, nullptr);
  SP_DEVINFO_DATA device{};
  bool registered = false;
  bool ok = false;
};

// What velt-flash --list-ports prints.
std::string Listing(const std::vector<PortInfo>& ports) {
  std::FILE* out = std::tmpfile();
  PrintPortList(ports, out, out);
  const std::string text = StreamText(out);
  std::fclose(out);
  return text;
}

TEST(Win32PortNames, APortIsDescribedByTheNameDeviceManagerShows) {
  if (!UnderWine()) GTEST_SKIP() << "adds a device: only in wine's prefix";
  const std::vector<PortInfo> before = ListPorts();
  if (before.empty()) GTEST_SKIP() << "wine lists no port to describe";
  const std::string port = before.front().name;
  EXPECT_EQ(before.front().description, "") << "wine has no device for its ports";

  const struct {
    std::string friendlyName, description;
  } cases[] = {
      {"USB-SERIAL CH340 (" + port + ")", "USB-SERIAL CH340"},
      {"Последовательный порт USB (" + port + ")", "Последовательный порт USB"},
  };
  for (const auto& c : cases) {
    const PortDevice device(port, c.friendlyName);
    ASSERT_TRUE(device.ok) << "SetupAPI refused the device, error " << GetLastError();
    const std::vector<PortInfo> ports = ListPorts();
    EXPECT_EQ(ports.size(), before.size()) << "a description, not another port";
    EXPECT_THAT(Listing(ports), ::testing::HasSubstr(port + "  " + c.description + "\n"));
  }
  EXPECT_EQ(ListPorts().front().description, "") << "the device is gone again";
}

TEST(Win32PortNames, TheAdapterIsNamedFromTheRegistry) {
  if (!UnderWine()) GTEST_SKIP() << "adds a device: only in wine's prefix";
  const std::vector<PortInfo> before = ListPorts();
  if (before.empty()) GTEST_SKIP() << "wine lists no port to describe";
  const std::string port = before.front().name;
  const struct {
    std::string hardwareId;
    DWORD latencyTimer;
    std::string vendor, product;
    int latency;
  } cases[] = {
      {"FTDIBUS\\COMPORT&VID_0403&PID_6001", 16, "0403", "6001", 16},
      {"USB\\VID_10C4&PID_EA60&REV_0100", noLatencyTimer, "10C4", "EA60", latencyTimerUnknown},
  };
  const ComPort closed;
  for (const auto& c : cases) {
    const PortDevice device(port, "USB Serial Port (" + port + ")", c.hardwareId, c.latencyTimer);
    ASSERT_TRUE(device.ok) << "SetupAPI refused the device, error " << GetLastError();
    const AdapterFacts facts = ReadAdapterFacts("\\\\.\\" + port, closed);
    EXPECT_EQ(facts.source, FactsSource::registry);
    EXPECT_EQ(facts.friendlyName, "USB Serial Port (" + port + ")");
    EXPECT_EQ(facts.vendorId + ":" + facts.productId, c.vendor + ":" + c.product) << c.hardwareId;
    EXPECT_EQ(facts.latencyTimerMs, c.latency) << c.hardwareId;
  }
  EXPECT_EQ(ReadAdapterFacts(port, closed).friendlyName, "") << "the device is gone again";
}

}  // namespace
