// Saving the coefficients read from a device as a coefficient file that the
// write job takes back byte for byte.
#pragma once

#include <cstdint>
#include <string>

enum class SaveResult {
  saved,
  notANumber,  // a coefficient is a NaN: no text carries it, nothing written
  exists,      // the file is there and replacing it was not asked for
  folder,      // the name is a folder's, never replaced
  unwritable,  // the file could not be written; nothing is left behind
};

struct SaveReport {
  SaveResult result = SaveResult::unwritable;
  std::string reason;            // for the operator, in Russian, when not saved
  bool fillerNotErased = false;  // bytes 112..127 were not all FF (saved or not)
};

// What the operator is told when the filler differs: it is not in the file.
extern const char fillerWarning[];

// Why a folder is no target: "это папка", with and without the name.
extern const char folderWord[];
std::string FolderReason(const char* path);

// Before anything is read: a folder is refused whatever `replace` says, an
// existing file unless `replace`; `saved` when nothing stands in the way.
SaveResult JudgeSaveTarget(const char* path, bool replace);

// Writes the 28 coefficients of `image` (128 bytes) to `path` with the
// platform's line ends; the file appears whole or not at all.
SaveReport SaveCoefficientFile(const uint8_t* image, const char* path, bool replace);
