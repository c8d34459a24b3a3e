// The device as the loader sees it, without any I/O: three controllers with
// bootloaders and flash memory behind one routed line, plus the faults a test
// can inject. The pty runner feeds it every byte it hears and sends what it
// says back.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/frame_assembler.h"
#include "sim/sim_types.h"

constexpr int simCommandKinds = 8;

struct DeviceModel {
  SimOptions options;
  std::array<std::vector<uint8_t>, simControllerCount> memory;
  std::array<uint8_t, simControllerCount> controlByte{};
  int routed = 3;         // the line starts out at controller 3
  bool launched = false;  // the application runs; only the echo comes back
  bool hungUp = false;
  std::array<int, simCommandKinds> framesSeen{};  // per kind, since the faults were set
  // Per kind since the start, faults or not: a reading job must leave the
  // erase, write, control and null counts at zero.
  std::array<int, simCommandKinds> framesReceived{};
  std::vector<SimFrame> transcript;
  FrameAssembler assembler;
};

// What the device does on hearing one byte.
struct DeviceReply {
  bool echo = false;            // send the byte straight back
  std::vector<uint8_t> answer;  // then, after latencyMs, these bytes (stray bytes included)
  int latencyMs = 0;
  bool hangUp = false;  // drop the line now
};

void InitDeviceModel(DeviceModel* model, const SimOptions& options);
void SetDeviceFaults(DeviceModel* model, const SimFaults& faults);
void DeviceReceiveByte(DeviceModel* model, uint8_t byte, DeviceReply* reply);

// Which kind a received frame is. Returns 0, or -1 for frames the device
// does not know.
int ClassifyFrame(const SimFrame& frame, SimCommand* kind);
