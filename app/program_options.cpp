#include "app/program_options.h"

#include <cstring>

std::optional<std::string> OptionValue(int argc, const char* const* argv, const char* name) {
  const size_t nameLength = std::strlen(name);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return i + 1 < argc ? argv[i + 1] : "";
    if (std::strncmp(argv[i], name, nameLength) == 0 && argv[i][nameLength] == '=') {
      return std::string(argv[i] + nameLength + 1);
    }
  }
  return std::nullopt;
}
