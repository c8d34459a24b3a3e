// A job for one device, as both front ends give it: what to do, and the
// images it moves, carried in the job rather than in process-wide state, so
// that the devices of a station may each have their own.
#pragma once

#include <optional>
#include <string>

#include "coeff/coefficient_file.h"
#include "loader/probe_line.h"
#include "loader/procedures.h"
#include "runner/job_kind.h"
#include "runner/page_progress.h"

struct Job {
  JobKind kind = JobKind::firmware;
  // The three controllers' images: what firmware loads and verify reads
  // back, and where reset takes controller 1's default coefficients from.
  FirmwareTables firmware{};
  // The release line of a firmware set; "" for the built-in images.
  std::string firmwareRelease;
  // write: the image it sends, once its file has been read; empty before.
  std::optional<CoefficientImage> coefficients;
  // write: the file the image came from; save-coefficients: the file the
  // pages read go to; read-firmware: the set's folder. As given.
  std::string coefficientsFile;
  // probe: presence queries per controller.
  int probeCount = defaultProbeCount;
};

// The pages the job will write and read back, none of them done yet.
PageProgress JobPages(const Job& job);
