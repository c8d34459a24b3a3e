// Writing a file so that it appears whole or not at all, and stays through a
// power cut once it has its name. One file per platform; names are UTF-8 as
// in coeff/file_access.h.
#pragma once

#include <string>

// What ends a line in a text file the operator opens on this platform.
extern const char textLineEnd[];

// Something exists at `path`.
bool PathExists(const char* path);
// `path` is a folder, or leads to one.
bool IsFolder(const char* path);

// How the file is kept while it is written. Where the system can (Linux),
// it has no name until it is whole, so that not even a killed process
// leaves anything behind; elsewhere, and when asked, it is written under a
// short name of its own beside the target.
enum class FolderContent {
  empty,
  notEmpty,
  missing,     // nothing at the path
  notAFolder,  // a file or something else
  unreadable,  // a folder whose entries cannot be listed
};

// What is at `path`, as a folder to write files into.
FolderContent InspectFolder(const char* path);

// Makes the folder `path` (its parent must exist) and puts its entry on the
// disk. 0, or -1 with what could not be done and the system's word in *reason.
int MakeFolder(const char* path, std::string* reason);

enum class TemporaryName { noneWherePossible, alwaysOne };

enum class WriteOutcome {
  written,
  exists,  // something is at the path and replacing it was not asked for
  failed,  // nothing left behind; only when the folder alone could not be
           // flushed is the file in place, and the reason says so
};

struct FileWriteReport {
  WriteOutcome outcome = WriteOutcome::failed;
  std::string reason;  // when failed: what could not be done and the system's word on it
};

// Writes `content` to `path`: the data reaches the disk before the file
// gets its name, and the folder after. Without `replace` nothing that is
// there is touched, even when it appeared only a moment ago.
FileWriteReport WriteWholeFile(const char* path, const std::string& content, bool replace,
                               TemporaryName temporary = TemporaryName::noneWherePossible);
