// A station's output on a pipe or a file, or wherever the rows cannot be
// drawn: every line of a device, stderr's too, starts with its port as given
// and a colon, and is written whole under one lock, so lines of different
// devices never break into each other.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "cli/station.h"

struct LineViewSettings {
  std::FILE* out;
  std::FILE* errors;
  bool colour;
  bool quiet;  // a device's failures only, then the summary
  bool trace;  // its frames on `errors`
};

class StationLineView final : public StationView {
 public:
  StationLineView(const std::vector<DevicePort>& ports, const LineViewSettings& settings);

  DeviceReports ReportsFor(int index) override;
  void Finished(int, const JobResult&) override {}
  void Tick() override {}
  void End(const std::vector<JobResult>& results) override;

 private:
  void Log(int index, LineKind kind, const char* text);
  void Write(std::FILE* stream, int index, const std::string& text);

  LineViewSettings settings;
  std::vector<std::string> prefixes;  // "ttyUSB3: "
  std::mutex output;
};
