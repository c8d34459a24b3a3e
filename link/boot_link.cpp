#include "link/boot_link.h"

#include <cstring>

#include "link/frame_codec.h"
#include "link/sleep.h"

namespace {

constexpr uint8_t queryData[] = {0x02};
constexpr uint8_t queryAnswer[] = {0x00, 0x02, 0x04};
constexpr int queryAnswerFrameLength = 8;
constexpr uint8_t nullCommandData[] = {0x00, 0x00};

constexpr int pollPauseMilliseconds = 1;
constexpr int byteSpacingMilliseconds = 1;  // between the bytes of SelectController3
constexpr int nullCommandWaitMilliseconds = 1;

}  // namespace

ComPort comPort;
BootLink cm(&comPort);

BootLink::BootLink(SerialLine* line)
    : query{}, txFrame{}, rxBuffer{}, args{}, reply{}, queryLength(0), port(line), noContact(0),
      pauseFunction(SleepMilliseconds) {
  queryLength = EncodeFrame(commandNull, sizeof queryData, 0, query, queryData);
}

void BootLink::Delay(int milliseconds) { pauseFunction(milliseconds); }

int BootLink::Exchange(int command, unsigned length, uint32_t address, const uint8_t* data,
                       const Answer& answer, uint8_t* decoded) {
  const int frameLength = EncodeFrame(command, length, address, txFrame, data);
  port->Write(frameLength, txFrame);
  int received = 0;
  for (int poll = 0;; ++poll) {
    const int got = port->Read(linkBufferSize - received, rxBuffer + received);
    if (got > 0) received += got;
    if (received >= frameLength + answer.threshold) {
      const int payload = DecodeFrame(received - frameLength, rxBuffer + frameLength, decoded);
      if (payload == answer.payloadLength && (answer.code < 0 || decoded[0] == answer.code)) {
        return 0;
      }
    }
    if (poll > answer.pollLimit) return -1;
    Delay(pollPauseMilliseconds);
  }
}

int BootLink::Sync() {
  int got = 0;
  for (int attempt = 0; attempt < syncAttempts; ++attempt) {
    port->ClearReceive();
    port->Write(queryLength, query);
    Delay(syncAnswerWaitMilliseconds);
    got = port->Read(linkBufferSize, rxBuffer);
    if (got >= queryAnswerFrameLength &&
        DecodeFrame(queryAnswerFrameLength, rxBuffer + got - queryAnswerFrameLength, reply) ==
            static_cast<int>(sizeof queryAnswer) &&
        std::memcmp(reply, queryAnswer, sizeof queryAnswer) == 0) {
      return 0;
    }
  }
  if (got == queryLength && std::memcmp(rxBuffer, query, queryLength) == 0) return syncEchoOnly;
  if (got <= 0) return syncSilent;
  return syncGarbage;
}

int BootLink::WriteControlByte(uint8_t value) {
  args[0] = value;
  // The answer's payload byte 05 arrives escaped, hence one byte more.
  const Answer answer{6, 1, commandControlByte, controlBytePollLimit};
  return Exchange(commandControlByte, 1, controlByteAddress, args, answer, reply);
}

void BootLink::SelectController3() {
  args[0] = 0xFF;
  args[1] = 0xFF;
  const int frameLength = EncodeFrame(commandLineControl, 2, selectController3Address, txFrame, args);
  port->AbortAndClearReceive();
  for (int i = 0; i < frameLength; ++i) {
    port->Write(1, txFrame + i);
    Delay(byteSpacingMilliseconds);
  }
}

void BootLink::SelectChannel(int channel) {
  args[0] = static_cast<uint8_t>(2 * channel);
  args[1] = 0x00;
  args[2] = 0xFF;
  const int frameLength = EncodeFrame(commandLineControl, 3, selectChannelAddress, txFrame, args);
  port->Write(frameLength, txFrame);
}

void BootLink::Launch() {
  args[0] = 0x00;
  const int frameLength = EncodeFrame(commandLineControl, 1, launchAddress, txFrame, args);
  port->Write(frameLength, txFrame);
}

int BootLink::SendNullCommand() {
  const int frameLength = EncodeFrame(commandNull, sizeof nullCommandData, 0, txFrame, nullCommandData);
  port->Write(frameLength, txFrame);
  Delay(nullCommandWaitMilliseconds);
  return port->Read(linkBufferSize, rxBuffer);
}

int BootLink::ErasePage(uint32_t address) {
  const Answer answer{5, 1, commandErase, erasePollLimit};
  return Exchange(commandErase, pageSize, address, nullptr, answer, reply);
}

int BootLink::WritePage(uint32_t address, const uint8_t* data) {
  const Answer answer{5, 1, commandWrite, writePollLimit};
  return Exchange(commandWrite, pageSize, address, data, answer, reply);
}

int BootLink::ReadPage(uint32_t address, uint8_t* destination) {
  const Answer answer{73, readAnswerHeaderLength + pageSize, -1, readPollLimit};
  return Exchange(commandRead, pageSize, address, nullptr, answer, destination);
}
