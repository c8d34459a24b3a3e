// Opening a file by the name the window or the command line hands over:
// UTF-8 (FLTK's file names are UTF-8 on every platform). One file per platform.
#pragma once

#include <cstdio>

// fopen(path, "rb"), or null.
std::FILE* OpenForReading(const char* path);

enum class PathKind {
  regular,
  directory,
  other,  // a pipe, a terminal, a device: reading it may wait for ever
};

// 0 when the path names something, with *kind set; -1 otherwise. Never waits
// on what the path names.
int InspectPath(const char* path, PathKind* kind);
