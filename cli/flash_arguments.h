// velt-flash's command line.
#pragma once

#include <string>

enum class FlashJob { none, firmware, write, reset, verify, saveCoefficients };

struct FlashArguments {
  std::string port;  // a device path, a listed port's name, or a port digit 1..4
  FlashJob job = FlashJob::none;
  std::string file;  // the coefficient file of the write and save-coefficients jobs
  bool force = false;  // save-coefficients may replace an existing file
  bool trace = false;
  bool help = false;
  bool version = false;
  bool listPorts = false;  // --list-ports: print the ports, run no job
};

// Parses argv[1..argc). Returns 0, or -1 with a one-line reason in *error.
int ParseFlashArguments(int argc, const char* const* argv, FlashArguments* arguments,
                        std::string* error);

// The port argument names one of the ports 1..4 by its digit.
bool IsPortDigit(const std::string& port);

extern const char flashUsage[];
