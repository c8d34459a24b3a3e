// The lock files that serial programs on Linux share: LCK..NAME in the lock
// folder, holding the owner's PID as ten ASCII digits and a line feed. A
// file whose process is gone is stale: its owner was killed, and whatever it
// left on the port (its exclusive flag) is a leftover, not a holder.
#pragma once

#include <string>

constexpr char portLockFolder[] = "/var/lock";

enum class PortLock {
  taken,              // there was no lock file; now there is ours
  takenFromDeadOwner, // a stale one was there; now there is ours
  heldByOther,        // a running process holds it (another program, or this one)
  unavailable,        // the folder cannot take a file; nobody else holds one
};

// NAME for a device: its path after links, without "/dev/", each further
// '/' as '_' ("/dev/ttyUSB0" -> "ttyUSB0", "/dev/pts/3" -> "pts_3").
std::string PortLockName(const std::string& device);

// Looks at `folder`'s lock file for `device` and takes it when nobody
// running holds it. *lockPath: the file now ours ("" unless taken);
// *ownerPid: the holder's PID when heldByOther.
PortLock TakePortLock(const std::string& folder, const std::string& device, std::string* lockPath,
                      int* ownerPid);

// Removes the lock file if it is still this process's.
void ReleasePortLock(const std::string& lockPath);
