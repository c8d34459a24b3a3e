// The bootloader's command set as the loader uses it: one operation per
// exchange over the half-duplex line, where every frame sent comes back as an
// echo ahead of the answer.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/serial_line.h"

constexpr int linkBufferSize = 256;
constexpr int pageSize = 64;

// Sync's verdicts besides 0 (answered).
constexpr int syncEchoOnly = -1;
constexpr int syncSilent = -2;
constexpr int syncGarbage = -8;

// What an acknowledged command (control byte, erase, write, read) returns
// besides 0: no valid answer came within its poll budget.
constexpr int exchangeUnanswered = -1;

constexpr int syncAttempts = 11;
constexpr int syncAnswerWaitMilliseconds = 40;

// Polls an acknowledged command waits for its answer: it reads pollLimit + 2
// times with a pause of up to 1 ms between reads before giving up. A pause
// ends as soon as a byte arrives, and a read that takes in bytes after such a
// pause is not counted. 50 rather than 10 leaves room for a 73-byte read answer at 57600
// baud (12.7 ms) and for USB adapters that hand bytes over every 16 ms.
constexpr int controlBytePollLimit = 50;
constexpr int erasePollLimit = 50;
constexpr int writePollLimit = 200;
constexpr int readPollLimit = 50;

// The longest pause between two reads of an answer; a byte arriving ends it.
constexpr int linkPollPauseMilliseconds = 1;
// The pause between the bytes of SelectController3, and after the null
// command before its echo is read.
constexpr int selectByteSpacingMilliseconds = 1;
constexpr int nullCommandWaitMilliseconds = 1;

// Payload bytes of the presence query's answer, and of a read answer ahead
// of the page itself.
constexpr int queryAnswerPayloadLength = 3;
constexpr int readAnswerHeaderLength = 5;

// Bytes after the echo before an answer is decoded: the shortest answer
// frame of each exchange. The control byte's payload 05 arrives escaped,
// hence one byte more than the erase's and the write's.
constexpr int queryAnswerFrameLength = 8;
constexpr int controlByteAnswerLength = 6;
constexpr int eraseAnswerLength = 5;
constexpr int writeAnswerLength = 5;
constexpr int readAnswerLength = 73;

// Addresses of the line-control command and of the control byte.
constexpr uint32_t launchAddress = 255;
constexpr uint32_t selectController3Address = 254;
constexpr uint32_t selectChannelAddress = 253;
constexpr uint32_t controlByteAddress = 255;

// Line control channels understood by SelectChannel.
constexpr int channelController1 = 2;
constexpr int channelController2 = 1;

// Bytes the presence query puts on the line, as BootLink::queryLength holds
// them, for counting without a link.
int QueryFrameLength();

using PauseFunction = void (*)(int milliseconds);

// The operations, as the last exchange names them.
enum class LinkOperation {
  none,
  query,
  selectController3,
  selectChannel,
  controlByte,
  nullCommand,
  erase,
  write,
  read,
  launch,
};

// What came back within an operation's budget.
enum class Reply {
  answered,      // the answer wanted
  nothing,       // not even the echo
  echoOnly,      // the echo, and nothing after it
  garbage,       // bytes that are neither the echo nor an answer
  incomplete,    // the start of an answer that never ended
  badChecksum,   // a whole frame whose checksum is wrong
  wrongLength,   // a sound frame of the wrong length
  otherCommand,  // a sound frame answering another command
};

// The last operation and how it went: what a failure report is made of.
struct LastExchange {
  LinkOperation operation = LinkOperation::none;
  uint32_t address = 0;
  Reply reply = Reply::answered;
};

// What `count` bytes received after sending `sent` amount to, for an answer
// of `payloadLength` bytes whose first is `code` (-1: any).
Reply JudgeReply(const uint8_t* received, int count, const uint8_t* sent, int sentLength,
                 int payloadLength, int code);

struct BootLink {
  uint8_t query[16];
  uint8_t txFrame[linkBufferSize];
  uint8_t rxBuffer[linkBufferSize];  // the echo of the frame sent, then the answer
  uint8_t args[linkBufferSize];
  uint8_t reply[linkBufferSize];     // decoded body of the last answer examined
  int queryLength;
  SerialLine* port;
  // Once it reads true, a presence query gives up between its attempts, so
  // that a stop is not held up by a device that only echoes. Null: never.
  const std::atomic<bool>* stop;
  PauseFunction pauseFunction;       // how Delay sleeps; tests count instead
  LastExchange last;

  explicit BootLink(SerialLine* line);
  BootLink(const BootLink&) = delete;
  BootLink& operator=(const BootLink&) = delete;

  int Sync();
  int WriteControlByte(uint8_t value);
  void SelectController3();
  void SelectChannel(int channel);
  void Launch();
  int SendNullCommand();
  int ErasePage(uint32_t address);
  int WritePage(uint32_t address, const uint8_t* data);
  // Leaves the decoded answer in destination (256 bytes); the page's 64 bytes
  // start at readAnswerHeaderLength.
  int ReadPage(uint32_t address, uint8_t* destination);
  void Delay(int milliseconds);

 private:
  struct Answer {
    int threshold;      // bytes after the echo before decoding is tried
    int payloadLength;  // required decoded payload length
    int code;           // required first payload byte, or -1 when unchecked
    int pollLimit;
  };
  int Exchange(int command, unsigned length, uint32_t address, const uint8_t* data,
               const Answer& answer, uint8_t* decoded);
  int QueryPresence();
  void Begin(LinkOperation operation, uint32_t address);
  static Reply ReplyOfSync(int verdict);
};

