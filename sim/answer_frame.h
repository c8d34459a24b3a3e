// The device's side of the frame format: an answer is the payload, then the
// checksum, escaped and framed like every frame on the line.
#pragma once

#include <cstdint>
#include <vector>

// Appends the framed answer to `out`. A nonzero `checksumError` is added to
// the correct checksum, to fake a damaged answer.
void AppendAnswerFrame(const std::vector<uint8_t>& payload, uint8_t checksumError,
                       std::vector<uint8_t>* out);
