#include "chooser/windows1251.h"

namespace {

constexpr long cyrillicCapitalA = 0x0410;  // А … я are one run in both codes
constexpr long cyrillicSmallYa = 0x044F;
constexpr int byteOfCapitalA = 0xC0;
constexpr int firstUpperByte = 0x80;

// Code points of bytes 0x80 … 0xBF (the rest is ASCII or the Cyrillic run);
// 0 where the code page has no character.
constexpr unsigned short upperHalf[] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

int decodeUtf8(const unsigned char* text, long* codePoint) {
  unsigned char lead = text[0];
  int length = 0;
  long value = 0;
  long smallest = 0;  // below this the sequence is an overlong form
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, smallest = 0x10000;
  } else {
    return 0;
  }
  // A NUL is not a continuation byte, so this stops at the end of the text.
  for (int i = 1; i < length; ++i) {
    if (!isContinuation(text[i])) return 0;
    value = (value << 6) | (text[i] & 0x3F);
  }
  constexpr long lastCodePoint = 0x10FFFF;
  constexpr long firstSurrogate = 0xD800;
  constexpr long lastSurrogate = 0xDFFF;
  if (value < smallest || value > lastCodePoint ||
      (value >= firstSurrogate && value <= lastSurrogate)) {
    return 0;
  }
  *codePoint = value;
  return length;
}

int windows1251Byte(long codePoint) {
  if (codePoint < firstUpperByte) return static_cast<int>(codePoint);
  if (codePoint >= cyrillicCapitalA && codePoint <= cyrillicSmallYa) {
    return byteOfCapitalA + static_cast<int>(codePoint - cyrillicCapitalA);
  }
  int byte = firstUpperByte;
  for (unsigned short character : upperHalf) {
    if (character != 0 && character == codePoint) return byte;
    ++byte;
  }
  return -1;
}
