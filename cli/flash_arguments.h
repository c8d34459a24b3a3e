// velt-flash's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/colour_rules.h"
#include "runner/job_kind.h"

// probe --count: enough for a median, few enough for a fixture's bench.
constexpr int maxProbeCount = 1000;

// Devices one velt-flash drives at once: a station's bench, not a whole hall.
constexpr int maxPorts = 32;

struct FlashArguments {
  // Each a device path, a listed port's name, or a port digit 1..4, in the
  // order given; several run the job on all of them at once.
  std::vector<std::string> ports;
  std::optional<JobKind> job;  // none before the job's word
  // The coefficient files: write's one for every port or one per port, in
  // the ports' order; save-coefficients' one; read-firmware's folder.
  std::vector<std::string> files;
  bool force = false;  // save-coefficients may replace a file, read-firmware fill a folder
  int probeCount = 0;  // probe --count: presence queries per controller; 0: not given
  bool trace = false;
  bool quiet = false;  // only failures and the result
  bool json = false;   // stdout: JSON Lines events and nothing else
  ColourChoice colour = ColourChoice::automatic;
  std::string recordPath;  // --record: the job record's file; "" keeps none
  std::string firmwareDir;  // --firmware: a firmware set instead of the built-in images
  bool firmwareInfo = false;  // firmware-info: describe the images, run no job
  bool help = false;
  bool version = false;
  bool listPorts = false;  // --list-ports: print the ports, run no job
};

// Parses argv[1..argc). Returns 0, or -1 with a one-line reason in *error.
int ParseFlashArguments(int argc, const char* const* argv, FlashArguments* arguments,
                        std::string* error);

// Two of `names` are the same: returns 0, or -1 naming the one given twice
// (as `shown` has it) in *error.
int CheckPortsDistinct(const std::vector<std::string>& names, const std::vector<std::string>& shown,
                       std::string* error);

// The jobs that keep what they read in a file (or a folder of them): one
// device each, the target checked before the port is opened.
bool ReadsIntoFile(JobKind job);

extern const char flashUsage[];
