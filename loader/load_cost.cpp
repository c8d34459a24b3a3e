// Walks the firmware load as LoadFirmware sends it, counting instead of
// sending; a change there is a change here.
#include "loader/load_cost.h"

#include "link/boot_link.h"
#include "link/frame_codec.h"
#include "link/line_speed.h"
#include "loader/procedure_steps.h"

namespace {

constexpr int millisecondsPerSecond = 1000;
constexpr uint8_t selectController3Data[2] = {0xFF, 0xFF};
constexpr uint8_t launchData[1] = {0x00};
constexpr uint8_t nullData[2] = {};

int FrameLength(int command, unsigned length, uint32_t address, const uint8_t* data) {
  uint8_t frame[MaxFrameLength(linkBufferSize)];
  return EncodeFrame(command, length, address, frame, data);
}

void Query(LoadCost& cost) {
  cost.sentBytes += QueryFrameLength();
  cost.pauseMs += syncAnswerWaitMilliseconds;
  ++cost.queries;
}

void Acknowledged(LoadCost& cost, int frameLength, int answerLength) {
  cost.sentBytes += frameLength;
  cost.answerBytes += answerLength;
  ++cost.acknowledged;
}

void Select(LoadCost& cost, const ControllerLayout& controller) {
  if (controller.selection == ControllerSelection::ownCommand) {
    const int length =
        FrameLength(commandLineControl, 2, selectController3Address, selectController3Data);
    cost.sentBytes += length;
    cost.pauseMs += length * selectByteSpacingMilliseconds;
  } else {
    // As SelectChannel sends it: the escaping depends on the channel.
    const uint8_t data[3] = {static_cast<uint8_t>(2 * controller.channel), 0x00, 0xFF};
    cost.sentBytes += FrameLength(commandLineControl, 3, selectChannelAddress, data);
    cost.pauseMs += channelSettleMilliseconds;
  }
  Query(cost);
}

void ControlByteAndNull(LoadCost& cost) {
  const uint8_t value[1] = {controlByteBeforeWrite};
  Acknowledged(cost, FrameLength(commandControlByte, 1, controlByteAddress, value),
               controlByteAnswerLength);
  Query(cost);
  cost.sentBytes += FrameLength(commandNull, sizeof nullData, 0, nullData);
  cost.pauseMs += nullCommandWaitMilliseconds;
  Query(cost);
}

void Pages(LoadCost& cost, const ControllerLayout& controller, const PageTable& table, bool write) {
  for (uint32_t address = firmwareBase; address < controller.firmwareEnd; address += pageSize) {
    const int entry = static_cast<int>(address / pageSize - firmwareBase / pageSize);
    if (entry >= table.pageCount || table.pages[entry] == nullptr) continue;
    if (write) {
      Acknowledged(cost, FrameLength(commandErase, pageSize, address, nullptr), eraseAnswerLength);
      Acknowledged(cost, FrameLength(commandWrite, pageSize, address, table.pages[entry]),
                   writeAnswerLength);
    } else {
      Acknowledged(cost, FrameLength(commandRead, pageSize, address, nullptr), readAnswerLength);
    }
  }
}

void Controller(LoadCost& cost, const ControllerLayout& controller, const PageTable& table,
                bool write) {
  Select(cost, controller);
  if (write && controller.controlByte) ControlByteAndNull(cost);
  Pages(cost, controller, table, write);
  if (!write && controller.controlByte) ControlByteAndNull(cost);
  if (!controller.controlByte) Query(cost);
}

}  // namespace

LoadCost CountLoadCost(const FirmwareTables& tables) {
  LoadCost cost;
  Select(cost, controllerLayouts[controllerCount - 1]);  // the contact
  for (const bool write : {true, false}) {
    for (int k = 0; k < controllerCount; ++k) Controller(cost, controllerLayouts[k], *tables[k], write);
  }
  // One Launch, after which the bootloader hears no more and every query of
  // the last Sync goes unanswered.
  cost.sentBytes += FrameLength(commandLineControl, 1, launchAddress, launchData);
  cost.pauseMs += launchSettleMilliseconds;
  for (int attempt = 0; attempt < syncAttempts; ++attempt) Query(cost);
  return cost;
}

double PredictedSeconds(const LoadCost& cost, double sendMsPerByte, double extraMs) {
  const double ms = cost.sentBytes * sendMsPerByte + LineMilliseconds(cost.answerBytes) +
                    cost.acknowledged * extraMs + cost.pauseMs;
  return ms / millisecondsPerSecond;
}
