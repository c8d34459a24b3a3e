// SHA-256, from the platform's own cryptography rather than written here:
// a Debian library on Linux, the system's cryptography API on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int sha256Size = 32;

// The digest of `size` bytes into `digest`. Returns 0, or -1 when the
// platform refused.
int Sha256(const uint8_t* data, size_t size, uint8_t digest[sha256Size]);

// The same as 64 lower-case hex digits; "" when the platform refused.
std::string Sha256Hex(const uint8_t* data, size_t size);
