// Writing a file so that it appears whole or not at all: written under a
// temporary name beside it, then moved into place. One file per platform;
// names are UTF-8 as in coeff/file_access.h.
#pragma once

#include <cstdio>

// What ends a line in a text file the operator opens on this platform.
extern const char textLineEnd[];

// Something exists at `path`.
bool PathExists(const char* path);

// A new file at `path` opened for binary writing, or null; null also when
// something already exists there, which is never touched.
std::FILE* CreateForWriting(const char* path);

// Renames `from` to `to`. Without `replace` it fails when `to` exists, even
// when `to` appeared only a moment ago. Returns 0 or -1.
int MoveIntoPlace(const char* from, const char* to, bool replace);

// Removes the file; 0 or -1.
int RemoveFile(const char* path);
