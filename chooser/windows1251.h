// UTF-8 names weighed as the Windows-1251 bytes they would be on a Russian
// Windows system.
#pragma once

// Decodes the UTF-8 character at text into *codePoint and returns its length
// in bytes (1 for NUL), or 0 when text does not start a valid, shortest-form
// sequence. Never reads past a NUL.
int decodeUtf8(const unsigned char* text, long* codePoint);

// The Windows-1251 byte of a code point, or -1 when Windows-1251 lacks it.
int windows1251Byte(long codePoint);
