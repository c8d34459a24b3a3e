#include "sim/frame_assembler.h"

#include "link/frame_codec.h"

namespace {

void StartOver(FrameAssembler* a) {
  a->raw.clear();
  a->body.clear();
  a->starts = 0;
  a->inBody = false;
  a->escaped = false;
}

void BeginBody(FrameAssembler* a) {
  a->raw.assign({frameStart, frameStart});
  a->body.clear();
  a->inBody = true;
  a->escaped = false;
}

}  // namespace

bool AssembleByte(FrameAssembler* a, uint8_t byte) {
  if (!a->inBody) {
    if (a->raw.size() > 0 && a->starts == 0) StartOver(a);  // previous frame delivered
    if (byte == frameStart) {
      if (++a->starts == 2) BeginBody(a);
    } else {
      a->starts = 0;
    }
    return false;
  }

  if (!a->escaped && byte == frameStart) {
    // A start marker cannot occur in a body: a new frame began mid-way. A
    // third 0F right after the markers is merely a longer preamble.
    const bool emptySoFar = a->raw.size() == 2;
    StartOver(a);
    a->starts = emptySoFar ? 2 : 1;
    if (emptySoFar) BeginBody(a);
    return false;
  }
  a->raw.push_back(byte);
  if (static_cast<int>(a->raw.size()) > assemblerMaxFrame) {
    StartOver(a);
    return false;
  }
  if (!a->escaped && byte == frameEscape) {
    a->escaped = true;
    return false;
  }
  if (!a->escaped && byte == frameEnd) {
    a->inBody = false;
    a->starts = 0;
    return true;
  }
  a->body.push_back(byte);
  a->escaped = false;
  return false;
}
