// Whether two names lead to one file, so that the job record is never the
// file a job reads or writes: appending a row to the coefficient file, or
// saving coefficients over the record, destroys one of them.
#pragma once

#include <string>

// Both there: the same file (device and inode, or volume and file index),
// whatever links or spellings lead to it. Neither there: the same path once
// the folders are resolved. One there and the other not: different.
bool SameFile(const std::string& first, const std::string& second);
