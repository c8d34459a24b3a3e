// Reading a number from the start of a line exactly as sscanf "%f" does in
// the "C" locale, whatever locale the process runs in.
#pragma once

// Looks at no more than `length` characters of `text` and stops early at a
// NUL. Skips leading white space, then takes the longest prefix that forms a
// number (decimal, hexadecimal "0x...", "inf", "infinity" or "nan", each with
// an optional sign) and rounds it to the nearest float; anything after it is
// ignored. Returns 0 and sets *value, or -1 when no number starts the text.
int ReadLeadingFloat(const char* text, int length, float* value);
