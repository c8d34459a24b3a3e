#include "sim/device_model.h"

#include <algorithm>

#include "link/boot_link.h"
#include "link/frame_codec.h"
#include "sim/answer_frame.h"

namespace {

constexpr int headerLength = 5;  // command, length byte, 24-bit address

constexpr uint8_t readLengthByte = 0x40;  // 64 bytes
constexpr uint8_t writeLengthByte = 8;    // 64 bytes in 8-byte words
constexpr uint8_t eraseLengthByte = 1;    // one page

const std::vector<uint8_t> queryData = {0x02};
const std::vector<uint8_t> queryAnswer = {0x00, 0x02, 0x04};
const std::vector<uint8_t> selectController3Data = {0xFF, 0xFF};
const std::vector<uint8_t> channelController1Data = {0x04, 0x00, 0xFF};
const std::vector<uint8_t> channelController2Data = {0x02, 0x00, 0xFF};
const std::vector<uint8_t> launchData = {0x00};

// What a noisy line might put ahead of an answer; neither byte is a marker.
const std::vector<uint8_t> strayNoise = {0x55, 0xAA};
constexpr uint8_t damagedChecksumOffset = 1;
constexpr uint8_t badReadFlip = 0xFF;

// The first five payload bytes of a read answer: command, length, address.
std::vector<uint8_t> ReadAnswerHeader(uint32_t address) {
  return {commandRead, readLengthByte, static_cast<uint8_t>(address),
          static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address >> 16)};
}

SimFrame ParseFrame(const std::vector<uint8_t>& body, int controller, bool checksumOk) {
  SimFrame frame;
  frame.controller = controller;
  frame.checksumOk = checksumOk;
  const size_t payloadEnd = body.size() - 1;  // the last byte is the checksum
  frame.command = body[0];
  size_t dataStart = 1;
  if (frame.command != commandNull && payloadEnd >= static_cast<size_t>(headerLength)) {
    frame.address = body[2] | (body[3] << 8) | (body[4] << 16);
    dataStart = headerLength;
  }
  if (payloadEnd > dataStart) frame.data.assign(body.begin() + dataStart, body.begin() + payloadEnd);
  return frame;
}

bool InMemory(uint32_t address) { return address + simPageSize <= simMemorySize; }

// The length byte the frame carried, or -1 for a frame without one.
int LengthByte(const DeviceModel& model) {
  const std::vector<uint8_t>& body = model.assembler.body;
  return body.size() > static_cast<size_t>(headerLength) ? body[1] : -1;
}

bool FaultHits(const std::vector<SimFault>& faults, SimCommand kind, int ordinal) {
  for (const SimFault& fault : faults) {
    if (fault.kind == kind && ordinal >= fault.nth && ordinal < fault.nth + fault.count) return true;
  }
  return false;
}

void SelectLine(DeviceModel* model, const SimFrame& frame) {
  if (frame.address == selectController3Address && frame.data == selectController3Data) {
    model->routed = 3;
    if (!model->options.stayLaunched) model->launched = false;
  } else if (frame.address == selectChannelAddress && frame.data == channelController1Data) {
    model->routed = 1;
  } else if (frame.address == selectChannelAddress && frame.data == channelController2Data) {
    model->routed = 2;
  }
}

// Carries out one command of the routed controller's bootloader. Returns
// true and fills `payload` when the bootloader answers.
bool Obey(DeviceModel* model, const SimFrame& frame, SimCommand kind,
          std::vector<uint8_t>* payload) {
  std::vector<uint8_t>& memory = model->memory[model->routed - 1];
  const int lengthByte = LengthByte(*model);
  switch (kind) {
    case SimCommand::query:
      *payload = queryAnswer;
      return true;
    case SimCommand::null:
      return false;
    case SimCommand::control:
      if (frame.address != controlByteAddress || lengthByte != 1 || frame.data.size() != 1) return false;
      model->controlByte[model->routed - 1] = frame.data[0];
      *payload = {commandControlByte};
      return true;
    case SimCommand::erase: {
      const uint32_t page = frame.address & ~(simPageSize - 1);
      if (lengthByte != eraseLengthByte || !frame.data.empty() || !InMemory(page)) return false;
      for (uint32_t i = 0; i < simPageSize; ++i) memory[page + i] = 0xFF;
      *payload = {commandErase};
      return true;
    }
    case SimCommand::write:
      if (lengthByte != writeLengthByte || frame.data.size() != simPageSize ||
          !InMemory(frame.address)) {
        return false;
      }
      // Flash can only clear bits; setting them again takes an erase.
      for (uint32_t i = 0; i < simPageSize; ++i) memory[frame.address + i] &= frame.data[i];
      *payload = {commandWrite};
      return true;
    case SimCommand::read: {
      if (lengthByte != readLengthByte || !frame.data.empty() || !InMemory(frame.address)) {
        return false;
      }
      *payload = ReadAnswerHeader(frame.address);
      payload->insert(payload->end(), memory.begin() + frame.address,
                      memory.begin() + frame.address + simPageSize);
      const SimFaults& faults = model->options.faults;
      if (faults.badReadController == model->routed &&
          (faults.badReadPage & ~(simPageSize - 1)) == (frame.address & ~(simPageSize - 1))) {
        (*payload)[headerLength] ^= badReadFlip;
      }
      return true;
    }
    case SimCommand::select:
      SelectLine(model, frame);
      return false;
    case SimCommand::launch:
      if (frame.data == launchData && !model->options.faults.ignoreLaunch) model->launched = true;
      return false;
  }
  return false;
}

int LatencyOf(const DeviceModel& model, SimCommand kind) {
  if (kind == SimCommand::erase) return model.options.eraseLatencyMs;
  if (kind == SimCommand::write) return model.options.writeLatencyMs;
  return 0;
}

}  // namespace

int ClassifyFrame(const SimFrame& frame, SimCommand* kind) {
  switch (frame.command) {
    case commandNull:
      *kind = frame.data == queryData ? SimCommand::query : SimCommand::null;
      return 0;
    case commandRead:
      *kind = SimCommand::read;
      return 0;
    case commandWrite:
      *kind = SimCommand::write;
      return 0;
    case commandErase:
      *kind = SimCommand::erase;
      return 0;
    case commandControlByte:
      *kind = SimCommand::control;
      return 0;
    case commandLineControl:
      if (frame.address == launchAddress) {
        *kind = SimCommand::launch;
        return 0;
      }
      if (frame.address == selectController3Address || frame.address == selectChannelAddress) {
        *kind = SimCommand::select;
        return 0;
      }
      return -1;
    default:
      return -1;
  }
}

void InitDeviceModel(DeviceModel* model, const SimOptions& options) {
  *model = DeviceModel{};
  model->options = options;
  for (std::vector<uint8_t>& memory : model->memory) memory.assign(simMemorySize, options.fill);
  for (const SimMemoryBlock& block : options.preload) {
    std::vector<uint8_t>& memory = model->memory[block.controller - 1];
    std::copy(block.bytes.begin(), block.bytes.end(), memory.begin() + block.address);
  }
}

void SetDeviceFaults(DeviceModel* model, const SimFaults& faults) {
  model->options.faults = faults;
  model->framesSeen.fill(0);
}

void DeviceReceiveByte(DeviceModel* model, uint8_t byte, DeviceReply* reply) {
  reply->echo = false;
  reply->answer.clear();
  reply->latencyMs = 0;
  reply->hangUp = false;
  if (model->hungUp) return;

  const SimFaults& faults = model->options.faults;
  reply->echo = !faults.silent;
  if (!AssembleByte(&model->assembler, byte)) return;
  const std::vector<uint8_t>& raw = model->assembler.raw;
  const std::vector<uint8_t>& body = model->assembler.body;
  if (body.empty()) return;

  std::vector<uint8_t> decoded(raw.size());
  const bool checksumOk =
      DecodeFrame(static_cast<int>(raw.size()), raw.data(), decoded.data()) > 0;
  const SimFrame frame = ParseFrame(body, model->routed, checksumOk);
  model->transcript.push_back(frame);
  if (!checksumOk || faults.silent) return;

  SimCommand kind;
  if (ClassifyFrame(frame, &kind) != 0) return;
  const int ordinal = ++model->framesSeen[static_cast<int>(kind)];
  ++model->framesReceived[static_cast<int>(kind)];
  if (FaultHits(faults.hangUp, kind, ordinal)) {
    model->hungUp = true;
    reply->hangUp = true;
    return;
  }
  if (faults.echoOnly) return;
  if (model->launched && kind != SimCommand::select) return;

  std::vector<uint8_t> payload;
  const bool answers = Obey(model, frame, kind, &payload);
  if (FaultHits(faults.strayBytes, kind, ordinal)) reply->answer = strayNoise;
  if (answers && !FaultHits(faults.dropAnswer, kind, ordinal)) {
    const bool damaged = FaultHits(faults.corruptChecksum, kind, ordinal);
    AppendAnswerFrame(payload, damaged ? damagedChecksumOffset : 0, &reply->answer);
  }
  reply->latencyMs = LatencyOf(*model, kind);
}
