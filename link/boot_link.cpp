#include "link/boot_link.h"

#include <cstring>

#include "link/frame_codec.h"
#include "link/sleep.h"

namespace {

constexpr uint8_t queryData[] = {0x02};
constexpr uint8_t queryAnswer[] = {0x00, 0x02, 0x04};
static_assert(sizeof queryAnswer == queryAnswerPayloadLength, "the answer Sync expects");
constexpr uint8_t nullCommandData[] = {0x00, 0x00};


// Whether the frame at `frame` has its end marker within `count` bytes;
// *broken when an unescaped start marker comes first.
bool FrameEnded(const uint8_t* frame, int count, bool* broken) {
  bool escaped = false;
  for (int i = 2; i < count; ++i) {
    if (escaped) {
      escaped = false;
    } else if (frame[i] == frameEscape) {
      escaped = true;
    } else if (frame[i] == frameEnd) {
      return true;
    } else if (frame[i] == frameStart) {
      *broken = true;
      return false;
    }
  }
  return false;
}

Reply JudgeAnswer(const uint8_t* answer, int count, int payloadLength, int code) {
  if (answer[0] != frameStart || (count > 1 && answer[1] != frameStart)) return Reply::garbage;
  bool broken = false;
  if (count < 2 || !FrameEnded(answer, count, &broken)) {
    return broken ? Reply::garbage : Reply::incomplete;
  }
  uint8_t decoded[linkBufferSize];
  const int payload = DecodeFrame(count, answer, decoded);
  if (payload == 0) return Reply::badChecksum;
  if (payload != payloadLength) return Reply::wrongLength;
  if (code >= 0 && decoded[0] != code) return Reply::otherCommand;
  return Reply::answered;
}

}  // namespace

Reply JudgeReply(const uint8_t* received, int count, const uint8_t* sent, int sentLength,
                 int payloadLength, int code) {
  if (count <= 0) return Reply::nothing;
  const int echoSeen = count < sentLength ? count : sentLength;
  if (std::memcmp(received, sent, echoSeen) != 0) return Reply::garbage;
  if (count <= sentLength) return Reply::echoOnly;
  return JudgeAnswer(received + sentLength, count - sentLength, payloadLength, code);
}

int QueryFrameLength() {
  uint8_t frame[linkBufferSize];
  return EncodeFrame(commandNull, sizeof queryData, 0, frame, queryData);
}

BootLink::BootLink(SerialLine* line)
    : query{}, txFrame{}, rxBuffer{}, args{}, reply{}, queryLength(0), port(line), stop(nullptr),
      pauseFunction(SleepMilliseconds) {
  queryLength = EncodeFrame(commandNull, sizeof queryData, 0, query, queryData);
}

void BootLink::Delay(int milliseconds) { pauseFunction(milliseconds); }

int BootLink::Exchange(int command, unsigned length, uint32_t address, const uint8_t* data,
                       const Answer& answer, uint8_t* decoded) {
  const int frameLength = EncodeFrame(command, length, address, txFrame, data);
  port->Write(frameLength, txFrame);
  int received = 0;
  bool pauseCutShort = false;
  for (int polls = 0;;) {
    const int got = port->Read(linkBufferSize - received, rxBuffer + received);
    if (got > 0) received += got;
    if (received >= frameLength + answer.threshold) {
      const int payload = DecodeFrame(received - frameLength, rxBuffer + frameLength, decoded);
      if (payload == answer.payloadLength && (answer.code < 0 || decoded[0] == answer.code)) {
        return 0;
      }
    }
    // A poll that took in bytes after a pause they cut short is not counted,
    // so an answer arriving byte by byte does not use up the budget. One that
    // took in nothing counts, whatever the wait said: a line hung up, or a
    // full buffer, looks readable for ever.
    const bool counted = !(pauseCutShort && got > 0);
    if (counted && ++polls > answer.pollLimit + 1) {
      last.reply = JudgeReply(rxBuffer, received, txFrame, frameLength, answer.payloadLength,
                              answer.code);
      return exchangeUnanswered;
    }
    pauseCutShort = port->WaitForData(linkPollPauseMilliseconds);
  }
}

void BootLink::Begin(LinkOperation operation, uint32_t address) {
  last = LastExchange{operation, address, Reply::answered};
}

Reply BootLink::ReplyOfSync(int verdict) {
  switch (verdict) {
    case 0:
      return Reply::answered;
    case syncEchoOnly:
      return Reply::echoOnly;
    case syncSilent:
      return Reply::nothing;
    default:
      return Reply::garbage;
  }
}

int BootLink::Sync() {
  Begin(LinkOperation::query, 0);
  const int verdict = QueryPresence();
  last.reply = ReplyOfSync(verdict);
  return verdict;
}

int BootLink::QueryPresence() {
  int got = 0;
  for (int attempt = 0; attempt < syncAttempts; ++attempt) {
    if (attempt > 0 && stop != nullptr && *stop) break;
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
  Begin(LinkOperation::controlByte, controlByteAddress);
  args[0] = value;
  const Answer answer{controlByteAnswerLength, 1, commandControlByte, controlBytePollLimit};
  return Exchange(commandControlByte, 1, controlByteAddress, args, answer, reply);
}

void BootLink::SelectController3() {
  Begin(LinkOperation::selectController3, selectController3Address);
  args[0] = 0xFF;
  args[1] = 0xFF;
  const int frameLength = EncodeFrame(commandLineControl, 2, selectController3Address, txFrame, args);
  port->AbortAndClearReceive();
  for (int i = 0; i < frameLength; ++i) {
    port->Write(1, txFrame + i);
    Delay(selectByteSpacingMilliseconds);
  }
}

void BootLink::SelectChannel(int channel) {
  Begin(LinkOperation::selectChannel, selectChannelAddress);
  args[0] = static_cast<uint8_t>(2 * channel);
  args[1] = 0x00;
  args[2] = 0xFF;
  const int frameLength = EncodeFrame(commandLineControl, 3, selectChannelAddress, txFrame, args);
  port->Write(frameLength, txFrame);
}

void BootLink::Launch() {
  Begin(LinkOperation::launch, launchAddress);
  args[0] = 0x00;
  const int frameLength = EncodeFrame(commandLineControl, 1, launchAddress, txFrame, args);
  port->Write(frameLength, txFrame);
}

int BootLink::SendNullCommand() {
  Begin(LinkOperation::nullCommand, 0);
  const int frameLength = EncodeFrame(commandNull, sizeof nullCommandData, 0, txFrame, nullCommandData);
  port->Write(frameLength, txFrame);
  Delay(nullCommandWaitMilliseconds);
  return port->Read(linkBufferSize, rxBuffer);
}

int BootLink::ErasePage(uint32_t address) {
  Begin(LinkOperation::erase, address);
  const Answer answer{eraseAnswerLength, 1, commandErase, erasePollLimit};
  return Exchange(commandErase, pageSize, address, nullptr, answer, reply);
}

int BootLink::WritePage(uint32_t address, const uint8_t* data) {
  Begin(LinkOperation::write, address);
  const Answer answer{writeAnswerLength, 1, commandWrite, writePollLimit};
  return Exchange(commandWrite, pageSize, address, data, answer, reply);
}

int BootLink::ReadPage(uint32_t address, uint8_t* destination) {
  Begin(LinkOperation::read, address);
  const Answer answer{readAnswerLength, readAnswerHeaderLength + pageSize, -1, readPollLimit};
  return Exchange(commandRead, pageSize, address, nullptr, answer, destination);
}
