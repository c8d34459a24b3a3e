// What both platforms' record files judge from the bytes already in the
// file: what must go in front of the next row, and whether the file looks
// like a record of this program at all. The platform file only reads.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "record/record_file.h"

// Reads exactly `count` bytes at `offset`; false when it could not.
using ReadRecordBytes = std::function<bool(long long offset, char* buffer, std::size_t count)>;

// What goes in front of the row in a file of `size` bytes: the header in an
// empty file; after a row that a crash cut short, the quote it left open
// (if any) and the line end, so that the file only ever holds whole rows.
// `count` is brought up to `size` (counted again from the start when the
// file is shorter than it was). 0, or -1 with the reason.
int RecordLead(const ReadRecordBytes& read, long long size, QuoteCount* count, std::string* lead,
               std::string* reason);

// Why a file that is not empty does not look like a record of this program
// (no byte order mark, another header, LF line ends), or "" when it does.
std::string RecordOddity(const ReadRecordBytes& read, long long size);
