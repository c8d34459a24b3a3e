// Bounded path text for the file dialog: every result fits its buffer and is
// NUL-terminated, however long the input; what does not fit is cut.
#pragma once

// Copies from into to (size bytes, size >= 1). Returns the length copied.
int copyPath(char* to, int size, const char* from);

// Writes "directory/name" into to; a directory of exactly "/" gives "/name"
// (no doubled slash) and an empty directory gives name alone.
void joinPath(char* to, int size, const char* directory, const char* name);

// fl_filename_absolute into to (size bytes): an absolute path is copied, a
// relative one joined to the working directory with leading "./" and "../"
// folded. Cut to fit instead of failing when the working directory is long.
void absolutePath(char* to, int size, const char* from);

// Removes one trailing '/' or '\' unless it is the only character.
void dropTrailingSeparator(char* path);

// A path too long for the dialog's buffers is neither a directory nor existing
// as far as the dialog is concerned.
bool pathIsDirectory(const char* path);
bool pathExists(const char* path);
