// Opening a file by the name the window or the command line hands over:
// UTF-8 (FLTK's file names are UTF-8 on every platform). One file per platform.
#pragma once

#include <cstdio>

// fopen(path, "rb"), or null.
std::FILE* OpenForReading(const char* path);

// 0 when the path names something, with *isDirectory set; -1 otherwise.
int InspectPath(const char* path, bool* isDirectory);
