#include "link/timed_query.h"

#include <chrono>
#include <cstring>

#include "link/frame_codec.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

void LetLineSettle(BootLink& link, int quietMilliseconds, int limitMilliseconds) {
  SerialLine& line = *link.port;
  const Clock::time_point start = Clock::now();
  while (line.WaitForData(quietMilliseconds) &&
         MillisecondsBetween(start, Clock::now()) < limitMilliseconds) {
    line.Read(linkBufferSize, link.rxBuffer);
  }
  line.ClearReceive();
}

TimedQuery TimeQuery(BootLink& link) {
  SerialLine& line = *link.port;
  link.last = LastExchange{LinkOperation::query, 0, Reply::answered};
  line.ClearReceive();
  const Clock::time_point before = Clock::now();
  line.Write(link.queryLength, link.query);
  const Clock::time_point sent = Clock::now();
  TimedQuery timed;
  timed.sendMs = MillisecondsBetween(before, sent);
  const int whole = link.queryLength + queryAnswerFrameLength;
  int received = 0;
  while (received < whole) {
    const int got = line.Read(linkBufferSize - received, link.rxBuffer + received);
    const Clock::time_point now = Clock::now();
    if (got > 0) {
      received += got;
      if (timed.echoMs < 0 && received >= link.queryLength &&
          std::memcmp(link.rxBuffer, link.query, link.queryLength) == 0) {
        timed.echoMs = MillisecondsBetween(sent, now);
      }
      if (received >= whole) timed.answerMs = MillisecondsBetween(sent, now);
      continue;
    }
    if (MillisecondsBetween(sent, now) > timedQueryBudgetMilliseconds) break;
    line.WaitForData(linkPollPauseMilliseconds);
  }
  timed.reply = JudgeReply(link.rxBuffer, received, link.query, link.queryLength,
                           queryAnswerPayloadLength, commandNull);
  if (timed.reply != Reply::answered) timed.answerMs = -1;
  link.last.reply = timed.reply;
  return timed;
}
