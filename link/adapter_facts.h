// What the system knows of the USB-serial adapter behind a port, learnt
// without sending a byte: on Linux from sysfs, on Windows from the registry.
// A probe of the line reports it and, when answers come late, says what to
// change. One file per platform reads the facts; the words are shared.
#pragma once

#include <string>
#include <vector>

#include "link/com_port.h"
#include "link/port_list.h"

// Where the facts were looked for, which decides what the advice names.
enum class FactsSource { sysfs, registry };

constexpr int latencyTimerUnknown = -1;

struct AdapterFacts {
  FactsSource source = FactsSource::sysfs;
  std::string driver;        // "ftdi_sio", "cp210x", "ch341", "cdc_acm"; Windows: the service
  std::string vendorId;      // four hex digits, "0403"; "" when not a USB device
  std::string productId;     // "6001"
  std::string serialNumber;  // "A50285BI", or ""
  // The FTDI chip's latency timer: sysfs latency_timer on Linux, the
  // device parameters' LatencyTimer on Windows.
  int latencyTimerMs = latencyTimerUnknown;
  LowLatency lowLatency = LowLatency::notKnown;  // what Open's request came to
  std::string friendlyName;  // Windows: as Device Manager shows the port
  std::string portName;      // the kernel's or Windows' name: "ttyUSB0", "COM7"; "" unknown
};

// The facts of the adapter behind `device` (any name of the port), with the
// low-latency answer of `port` when it is open on it. On Linux the tree of
// VELT_PORT_ROOT when set.
AdapterFacts ReadAdapterFacts(const std::string& device, const ComPort& port);

// Linux: the facts under one sysfs and /dev tree (lowLatency not known).
// Windows has no such tree: ReadAdapterFacts reads the registry.
AdapterFacts ReadAdapterFactsIn(const PortTree& tree, const std::string& device);

// A latency timer as the system writes it ("16"), or latencyTimerUnknown.
int LatencyTimerFromText(const std::string& text);

// The vendor and product id of a Windows hardware id:
// "FTDIBUS\COMPORT&VID_0403&PID_6001", "USB\VID_10C4&PID_EA60&REV_0100".
void UsbIdsFromHardwareId(const std::string& hardwareId, AdapterFacts* facts);

// Answers held back longer than this are worth a word to the operator: a
// 1 ms timer and the system's own scheduling stay under it, a 16 ms timer
// does not.
constexpr double adviceDelayMs = 3.0;

// Lines in Russian for the probe's report: driver and ids, the latency
// timer, the low-latency answer; one line saying nothing is known when so.
std::vector<std::string> DescribeAdapter(const AdapterFacts& facts);

// One line in Russian naming what to change when answers come `extraDelayMs`
// later than the line allows and that is over adviceDelayMs; "" otherwise.
std::string AdapterAdvice(const AdapterFacts& facts, double extraDelayMs);
