// All that has been written to a stream that is also read, such as a
// tmpfile(), from its start.
#pragma once

#include <cstdio>
#include <string>

inline std::string StreamText(std::FILE* stream) {
  std::fflush(stream);
  std::rewind(stream);
  std::string text;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) {
    text.append(buffer, got);
  }
  return text;
}
