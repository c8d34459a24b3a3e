// Frames of the bootloader line: 0F 0F, escaped body ending in a checksum, 04.
#pragma once

#include <cstdint>

constexpr uint8_t frameStart = 0x0F;
constexpr uint8_t frameEnd = 0x04;
constexpr uint8_t frameEscape = 0x05;

// Command codes of the bootloaders. Codes 1, 3 and 4 carry no data bytes.
constexpr int commandNull = 0;  // the presence query and the null command
constexpr int commandRead = 1;
constexpr int commandWrite = 2;
constexpr int commandErase = 3;
constexpr int commandControlByte = 5;
constexpr int commandLineControl = 8;

// Longest frame EncodeFrame can produce for `length` data bytes: two start
// markers, five header bytes, data and checksum each possibly escaped, end.
constexpr int MaxFrameLength(int length) { return 2 + 2 * (5 + length + 1) + 1; }

// Builds the frame of one command into destination and returns its length.
// `data` is read only for commands that carry data (0, 2 and codes above 4).
int EncodeFrame(int command, unsigned length, uint32_t address, uint8_t* destination,
                const uint8_t* data);

// Unpacks the frame at source into destination (payload, then checksum).
// Examines no byte at or beyond `available` and writes at most
// available - 2 bytes. Returns the payload length, 0 for a broken or
// incomplete frame, -1 for an empty body.
int DecodeFrame(int available, const uint8_t* source, uint8_t* destination);
