// The window's few options ("--record FILE", "--firmware DIR"): every other
// argument is ignored, as the window always has.
#pragma once

#include <optional>
#include <string>

// The value of "NAME VALUE" or "NAME=VALUE"; "" for NAME without a value;
// none without NAME.
std::optional<std::string> OptionValue(int argc, const char* const* argv, const char* name);
