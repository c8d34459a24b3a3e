#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "link/port_identity.h"

std::string PortIdentity(const std::string& device) {
  struct stat found {};
  if (stat(device.c_str(), &found) != 0) return device;
  // The prefixes keep a device number from ever equalling a name given.
  if (S_ISCHR(found.st_mode) || S_ISBLK(found.st_mode)) {
    return "device:" + std::to_string(major(found.st_rdev)) + ":" +
           std::to_string(minor(found.st_rdev));
  }
  return "file:" + std::to_string(found.st_dev) + ":" + std::to_string(found.st_ino);
}
