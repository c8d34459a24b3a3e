// The jobs a device can be given, as both front ends name them.
#pragma once

#include <optional>
#include <string>

enum class JobKind { firmware, write, reset, verify, saveCoefficients, readFirmware, probe };

// "firmware", "write", "reset", "verify", "save-coefficients",
// "read-firmware", "probe": the command line's words and the record's job
// column.
const char* JobKindName(JobKind kind);

// The job a word names, if any.
std::optional<JobKind> JobKindNamed(const std::string& word);

// Nothing is erased or written: the pages are only read.
bool ReadsOnly(JobKind kind);
