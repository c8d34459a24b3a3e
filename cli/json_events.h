// velt-flash --json: one JSON object per line on stdout, each with the
// format's version ("v": 1) and its kind ("event"). Fields are only ever
// added within version 1; README lists them. Text from the device or the
// file system that is not UTF-8 is written as the console shows it (\xNN).
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "loader/report.h"
#include "runner/job.h"
#include "runner/page_progress.h"
#include "runner/run_job.h"

constexpr int jsonFormatVersion = 1;

// Every line is written whole under one lock, as the devices' threads
// write side by side.
class JsonEvents {
 public:
  explicit JsonEvents(std::FILE* out) : out(out) {}

  void Start(const std::string& port, const Job& job);
  void Line(const std::string& port, LineKind kind, const char* text);
  void Progress(const std::string& port, const PageProgress& pages, double seconds);
  void Detail(const std::string& port, const std::string& text);
  // The outcome and every field of the job's record row, by column name.
  void End(const Job& job, const JobResult& result);
  void Summary(const std::vector<JobResult>& results, int status);

 private:
  void Write(const std::string& line);

  std::FILE* out;
  std::mutex lock;
};
