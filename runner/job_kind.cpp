#include "runner/job_kind.h"

namespace {

struct KindName {
  JobKind kind;
  const char* name;
};

constexpr KindName kindNames[] = {
    {JobKind::firmware, "firmware"}, {JobKind::write, "write"},
    {JobKind::reset, "reset"},       {JobKind::verify, "verify"},
    {JobKind::saveCoefficients, "save-coefficients"}, {JobKind::readFirmware, "read-firmware"},
    {JobKind::probe, "probe"},
};

}  // namespace

const char* JobKindName(JobKind kind) {
  for (const KindName& entry : kindNames) {
    if (entry.kind == kind) return entry.name;
  }
  return "";
}

std::optional<JobKind> JobKindNamed(const std::string& word) {
  for (const KindName& entry : kindNames) {
    if (word == entry.name) return entry.kind;
  }
  return std::nullopt;
}

bool ReadsOnly(JobKind kind) {
  return kind == JobKind::verify || kind == JobKind::saveCoefficients ||
         kind == JobKind::readFirmware || kind == JobKind::probe;
}
