// Names as the programs print them (ports, their descriptions, files): a
// terminal, a log line or a menu item must show a name, never act on it.
#pragma once

#include <string>

// `text` with every control character (C0, DEL and C1, which terminals take
// for line breaks and escape sequences) replaced by U+FFFD, and every byte
// that is not part of valid UTF-8 written as \xNN.
std::string PrintableText(const std::string& text);

// `text` with every byte that is not part of valid UTF-8 written as \xNN,
// as PrintableText writes it, and everything else as it is: for files that
// promise UTF-8 and quote control characters themselves.
std::string ValidUtf8Text(const std::string& text);
