// One row of the job record: what one job on one device did, for quality
// control to read afterwards in a spreadsheet (Excel or LibreOffice under
// Russian regional settings: UTF-8 with a byte order mark, ';' between
// fields, CR LF at the ends of lines).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct JobRecord {
  int64_t startSeconds = 0;     // since 1970-01-01, UTC
  std::string station;          // the computer's host name
  std::string port;             // as given, or the Порт item's name
  std::string job;              // firmware, write, reset, verify, save-coefficients
  std::string outcome;          // started, noAnswer, ... (runner/job_outcome.h)
  int exitStatus = 0;           // as velt-flash numbers them
  double seconds = 0;
  int pagesWritten = 0;
  int pagesVerified = 0;
  std::string firmwareSha256;
  std::string coefficientsFile;    // write: the path as given
  std::string coefficientsSha256;  // write and reset: of the 128 bytes sent
  std::string version;             // of the program
  std::string lastLine;            // the job's last log line, without its colour prefix
  std::string failure;             // the failed step and what came back, after "Ошибка!!!."
  std::string firmwareRelease;     // the firmware set's release line; "" for the built-in images
};

// One column of the row: its name in the header, and the text the row holds.
struct RecordField {
  const char* column;
  std::string text;
};

// The row's fields in the header's order, before any quoting: the one list
// of the columns, for the file and for velt-flash's --json.
std::vector<RecordField> RecordFields(const JobRecord& record);

// What a new or empty record file starts with: the byte order mark, then
// the column names.
std::string RecordHeader();

// The row: fields in the header's order, separated by ';', quoted where they
// hold ';', '"', CR or LF, ending in CR LF.
std::string FormatRecordRow(const JobRecord& record);

// "2026-12-09T02:42:33Z".
std::string UtcTimestamp(int64_t secondsSince1970);

// Now, in seconds since 1970, UTC.
int64_t SecondsSince1970();
