#include "sim/answer_frame.h"

#include "link/frame_codec.h"

namespace {

void PutEscaped(uint8_t value, std::vector<uint8_t>* out) {
  if (value == frameStart || value == frameEnd || value == frameEscape) out->push_back(frameEscape);
  out->push_back(value);
}

}  // namespace

void AppendAnswerFrame(const std::vector<uint8_t>& payload, uint8_t checksumError,
                       std::vector<uint8_t>* out) {
  out->push_back(frameStart);
  out->push_back(frameStart);
  uint8_t sum = 0;
  for (uint8_t value : payload) {
    PutEscaped(value, out);
    sum = static_cast<uint8_t>(sum + value);
  }
  PutEscaped(static_cast<uint8_t>(-sum + checksumError), out);
  out->push_back(frameEnd);
}
