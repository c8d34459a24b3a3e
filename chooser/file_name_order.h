// The order in which the file dialog lists names: a fixed collation of
// Windows-1251 bytes (punctuation, digits, Latin capitals, Latin small letters,
// then Cyrillic with Ё/ё right after Е/е). UTF-8 names are weighed by their
// Windows-1251 bytes; characters Windows-1251 lacks come after all of them.
#pragma once

#include <FL/filename.H>

// Weight of each Windows-1251 byte; a permutation of 0 … 255.
extern const unsigned char nameSortWeights[256];

// -1, 0 or +1 as name a sorts before, equal to or after name b.
int compareNameTexts(const char* a, const char* b);

// The same for two directory-scan entries; fits Fl_File_Sort_F.
int compareFileNames(struct dirent** a, struct dirent** b);
