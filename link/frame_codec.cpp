#include "link/frame_codec.h"

namespace {

constexpr int lastCodeWithoutData = 4;

constexpr unsigned writeLengthUnit = 8;   // the write command counts in 8-byte words
constexpr unsigned eraseLengthUnit = 64;  // the erase command counts in pages
constexpr uint32_t writeAddressMask = ~uint32_t{7};
constexpr uint32_t eraseAddressMask = ~uint32_t{63};

bool NeedsEscape(uint8_t value) {
  return value == frameStart || value == frameEnd || value == frameEscape;
}

bool CarriesData(int code) {
  return code == commandNull || code == commandWrite || code > lastCodeWithoutData;
}

// Appends one body byte, escaped when needed, and adds it to the running sum.
struct BodyWriter {
  uint8_t* out;
  int count = 0;
  uint8_t sum = 0;

  void Put(uint8_t value) {
    if (NeedsEscape(value)) out[count++] = frameEscape;
    out[count++] = value;
    sum = static_cast<uint8_t>(sum + value);
  }
};

}  // namespace

int EncodeFrame(int command, unsigned length, uint32_t address, uint8_t* destination,
                const uint8_t* data) {
  const int code = command & 0xFF;
  unsigned lengthByte = length % 256;
  if (code == commandWrite) {
    lengthByte /= writeLengthUnit;
    address &= writeAddressMask;
  } else if (code == commandErase) {
    lengthByte /= eraseLengthUnit;
    address &= eraseAddressMask;
  }

  destination[0] = frameStart;
  destination[1] = frameStart;
  BodyWriter body{destination + 2};
  body.Put(static_cast<uint8_t>(code));
  if (code != commandNull) {
    body.Put(static_cast<uint8_t>(lengthByte));
    body.Put(static_cast<uint8_t>(address));
    body.Put(static_cast<uint8_t>(address >> 8));
    body.Put(static_cast<uint8_t>(address >> 16));
  }
  if (CarriesData(code)) {
    for (unsigned i = 0; i < length; ++i) body.Put(data[i]);
  }
  body.Put(static_cast<uint8_t>(-body.sum));
  int total = 2 + body.count;
  destination[total++] = frameEnd;
  return total;
}

int DecodeFrame(int available, const uint8_t* source, uint8_t* destination) {
  if (available < 2 || source[0] != frameStart || source[1] != frameStart) return 0;

  int count = 0;
  bool escaped = false;
  for (int i = 2; i < available; ++i) {
    const uint8_t value = source[i];
    if (!escaped && value == frameEscape) {
      escaped = true;
      continue;
    }
    if (!escaped && value == frameEnd) {
      if (count == 0) return -1;
      uint8_t sum = 0;
      for (int k = 0; k < count; ++k) sum = static_cast<uint8_t>(sum + destination[k]);
      return sum == 0 ? count - 1 : 0;
    }
    if (!escaped && value == frameStart) return 0;
    destination[count++] = value;
    escaped = false;
  }
  return 0;  // the end marker is not within `available`
}
