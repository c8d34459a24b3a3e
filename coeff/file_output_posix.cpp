// Whole files on Linux: written unnamed (O_TMPFILE) and linked into place
// once on the disk; on file systems without unnamed files, under a short
// temporary name beside the target.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "coeff/file_output.h"

const char textLineEnd[] = "\n";

namespace {

constexpr mode_t everybodyMayRead = 0666;  // narrowed by the umask, as fopen's files are
// Short, so that it fits beside a target whose name is as long as names go.
const char temporaryStem[] = "velt-save";
const char temporarySuffix[] = ".tmp";
// Names tried for a temporary file; one left behind by a crashed run, or
// somebody else's, is passed over rather than overwritten.
constexpr int temporaryNameTries = 100;
// Where an unnamed file can be reached by its descriptor, to be linked.
const char descriptorFolder[] = "/proc/self/fd";

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string TemporaryPath(const std::string& folder, int attempt) {
  const std::string number = attempt == 0 ? "" : "." + std::to_string(attempt);
  return folder + "/" + temporaryStem + number + temporarySuffix;
}

std::string DescriptorPath(int fd) {
  return std::string(descriptorFolder) + "/" + std::to_string(fd);
}

// The file being written; `temporary` is empty while it has no name at all.
struct Pending {
  int fd = -1;
  std::string temporary;
};

int OpenUnnamed(const std::string& folder) {
#ifdef O_TMPFILE
  if (access(descriptorFolder, X_OK) != 0) return -1;  // it could never be named
  return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, everybodyMayRead);
#else
  (void)folder;
  return -1;
#endif
}

// 0, or -1 with errno set.
int OpenNamed(const std::string& folder, Pending* pending) {
  for (int attempt = 0; attempt < temporaryNameTries; ++attempt) {
    const std::string name = TemporaryPath(folder, attempt);
    pending->fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, everybodyMayRead);
    if (pending->fd >= 0) {
      pending->temporary = name;
      return 0;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

int WriteAll(int fd, const std::string& content) {
  size_t done = 0;
  while (done < content.size()) {
    const ssize_t written = ::write(fd, content.data() + done, content.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return -1;
    if (written == 0) {
      errno = ENOSPC;
      return -1;
    }
    done += static_cast<size_t>(written);
  }
  return 0;
}

// A link never replaces what is there, so without replacing the name is
// taken only if it is free at that very moment. FAT sticks have no links;
// there a check just before the rename has to do.
int LinkNamed(Pending* pending, const std::string& path) {
  if (link(pending->temporary.c_str(), path.c_str()) == 0) {
    unlink(pending->temporary.c_str());
    pending->temporary.clear();
    return 0;
  }
  if (errno == EEXIST) return -1;
  if (PathExists(path.c_str())) {
    errno = EEXIST;
    return -1;
  }
  if (std::rename(pending->temporary.c_str(), path.c_str()) != 0) return -1;
  pending->temporary.clear();
  return 0;
}

// Replacing needs rename, and rename needs a name: the unnamed file gets a
// temporary one for that moment.
int LinkUnderTemporaryName(Pending* pending, const std::string& folder) {
  for (int attempt = 0; attempt < temporaryNameTries; ++attempt) {
    const std::string name = TemporaryPath(folder, attempt);
    if (linkat(AT_FDCWD, DescriptorPath(pending->fd).c_str(), AT_FDCWD, name.c_str(),
               AT_SYMLINK_FOLLOW) == 0) {
      pending->temporary = name;
      return 0;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// 0, or -1 with errno set (EEXIST: the name is taken and not to be replaced).
int GiveName(Pending* pending, const std::string& path, const std::string& folder, bool replace) {
  if (pending->temporary.empty()) {
    if (!replace) {
      return linkat(AT_FDCWD, DescriptorPath(pending->fd).c_str(), AT_FDCWD, path.c_str(),
                    AT_SYMLINK_FOLLOW);
    }
    if (LinkUnderTemporaryName(pending, folder) != 0) return -1;
  }
  if (!replace) return LinkNamed(pending, path);
  if (std::rename(pending->temporary.c_str(), path.c_str()) != 0) return -1;
  pending->temporary.clear();
  return 0;
}

// 0, or -1 with errno set. Some file systems cannot flush a folder at all;
// nothing more can be done there.
int SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int synced = fsync(fd);
  const int error = errno;
  ::close(fd);
  errno = error;
  return synced == 0 || error == EINVAL ? 0 : -1;
}

FileWriteReport Failure(const std::string& what, int error) {
  return {WriteOutcome::failed, what + ": " + std::strerror(error)};
}

// Writes, flushes and names the pending file.
FileWriteReport Complete(Pending* pending, const std::string& path, const std::string& folder,
                         const std::string& content, bool replace) {
  const std::string written = pending->temporary.empty() ? path : pending->temporary;
  if (WriteAll(pending->fd, content) != 0 || fsync(pending->fd) != 0) {
    return Failure("не удалось записать " + written, errno);
  }
  if (GiveName(pending, path, folder, replace) != 0) {
    if (errno == EEXIST && !replace) return {WriteOutcome::exists, ""};
    return Failure("не удалось дать файлу имя " + path, errno);
  }
  if (SyncFolder(folder) != 0) {
    return Failure("файл " + path + " записан, но папка " + folder + " не сброшена на диск", errno);
  }
  return {WriteOutcome::written, ""};
}

}  // namespace

bool PathExists(const char* path) {
  struct stat info;
  return lstat(path, &info) == 0;
}

bool IsFolder(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

FolderContent InspectFolder(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0) return errno == ENOENT ? FolderContent::missing : FolderContent::unreadable;
  if (!S_ISDIR(info.st_mode)) return FolderContent::notAFolder;
  DIR* folder = opendir(path);
  if (folder == nullptr) return FolderContent::unreadable;
  FolderContent content = FolderContent::empty;
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      content = FolderContent::notEmpty;
      break;
    }
  }
  closedir(folder);
  return content;
}

int MakeFolder(const char* path, std::string* reason) {
  constexpr mode_t everybodyMayEnter = 0777;  // narrowed by the umask
  if (mkdir(path, everybodyMayEnter) != 0) {
    *reason = std::string("не удалось создать папку ") + path + ": " + std::strerror(errno);
    return -1;
  }
  if (SyncFolder(FolderOf(path)) != 0) {
    *reason = std::string("папка ") + path + " создана, но не сброшена на диск: " +
              std::strerror(errno);
    return -1;
  }
  return 0;
}

FileWriteReport WriteWholeFile(const char* path, const std::string& content, bool replace,
                               TemporaryName temporary) {
  const std::string target = path;
  const std::string folder = FolderOf(target);
  Pending pending;
  if (temporary == TemporaryName::noneWherePossible) pending.fd = OpenUnnamed(folder);
  if (pending.fd < 0 && OpenNamed(folder, &pending) != 0) {
    return Failure("не удалось создать файл в папке " + folder, errno);
  }
  const FileWriteReport report = Complete(&pending, target, folder, content, replace);
  ::close(pending.fd);
  if (!pending.temporary.empty()) unlink(pending.temporary.c_str());
  return report;
}
