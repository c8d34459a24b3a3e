// The window's firmware: the built-in images, or the set given as
// `velt-loader --firmware DIR`, read once at start. A refused set greys the
// firmware button; the coefficient jobs, which take only controller 1's
// built-in defaults, still work.
#pragma once

#include <optional>
#include <string>

// The folder of "--firmware DIR" or "--firmware=DIR"; none without the option.
std::optional<std::string> FirmwareFromArguments(int argc, const char* const* argv);

// GUI thread, once the log exists: reads the set into firmwareTables and
// says in the log's first line what the firmware button will load, or why
// the set was refused. Without a folder the built-in images stay, silently.
void LoadWindowFirmware(const std::optional<std::string>& folder);

// The set's release line for the record; "" for the built-in images.
extern std::string windowFirmwareRelease;
