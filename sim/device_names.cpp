#include "sim/device_names.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr mode_t linkFolderMode = 0755;

std::string LinkOf(const std::string& link, int device) {
  const std::string number = std::to_string(device);
  if (!IsLinkPattern(link)) return link + "/dev" + number;
  const size_t at = link.find("%d");
  return link.substr(0, at) + number + link.substr(at + 2);
}

// A stale link from an earlier run is replaced; anything else at PATH is not
// ours to remove.
int MakeLink(const std::string& linkPath, const std::string& target) {
  struct stat info {};
  if (lstat(linkPath.c_str(), &info) == 0) {
    if (!S_ISLNK(info.st_mode) || ::unlink(linkPath.c_str()) != 0) return -1;
  }
  return ::symlink(target.c_str(), linkPath.c_str());
}

}  // namespace

bool IsLinkPattern(const std::string& link) { return link.find('%') != std::string::npos; }

std::vector<DeviceNames> DeviceNamesOf(const SimProgramOptions& options) {
  if (options.deviceCount == 0) return {{options.linkPath, options.dumpDirectory, ""}};
  std::vector<DeviceNames> names;
  for (int k = 1; k <= options.deviceCount; ++k) {
    DeviceNames device;
    if (!options.linkPath.empty()) device.link = LinkOf(options.linkPath, k);
    if (!options.dumpDirectory.empty()) device.dump = options.dumpDirectory + "/dev" + std::to_string(k);
    device.label = "device " + std::to_string(k) + ": ";
    names.push_back(device);
  }
  return names;
}

int MakeLinkFolder(const SimProgramOptions& options) {
  if (options.deviceCount == 0 || options.linkPath.empty() || IsLinkPattern(options.linkPath)) {
    return 0;
  }
  if (::mkdir(options.linkPath.c_str(), linkFolderMode) == 0) return 1;
  struct stat info {};
  return errno == EEXIST && stat(options.linkPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode)
             ? 0
             : -1;
}

int MakeLinks(const std::vector<DeviceNames>& names, const std::vector<std::string>& targets,
              std::string* failed) {
  for (size_t k = 0; k < names.size(); ++k) {
    if (names[k].link.empty()) continue;
    if (MakeLink(names[k].link, targets[k]) != 0) {
      *failed = names[k].link;
      RemoveLinks({names.begin(), names.begin() + k});
      return -1;
    }
  }
  return 0;
}

void RemoveLinks(const std::vector<DeviceNames>& names) {
  for (const DeviceNames& device : names) {
    if (!device.link.empty()) ::unlink(device.link.c_str());
  }
}
