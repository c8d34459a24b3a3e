// The file the job rows are appended to. Several processes, on this
// computer or others sharing the folder, may append to one file: each row
// goes in with one write under an exclusive lock of the whole file and is on
// the disk before Append returns. One file per platform implements it.
#pragma once

#include <mutex>
#include <string>

#ifdef _WIN32
using RecordHandle = void*;  // a Win32 HANDLE
#else
using RecordHandle = int;    // a file descriptor
#endif

// Another appender holds the lock for one write and one flush; waiting
// longer than this means something is wrong with the file or the share.
constexpr int recordLockAttempts = 50;
constexpr int recordLockRetryMilliseconds = 100;

// How far the file's quotes have been counted: a file of whole rows holds
// an even number of them, so an odd count at the end means the last row was
// cut inside a quoted field. Kept between rows, so that each row costs only
// the bytes added since the last one.
struct QuoteCount {
  long long size = 0;
  bool open = false;
};

class RecordFile {
 public:
  RecordFile() = default;
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Opens the file (closing the one it had), creating it when missing, and
  // checks that its lock can be had. Anything but a regular file (a folder,
  // a FIFO, a device) is refused: it would take no row, or not keep it. 0,
  // or -1 with the system's reason.
  int Open(const std::string& path, std::string* reason);
  // Appends `row` (which ends in CR LF); a file that is still empty gets the
  // header first, and a file whose last row was cut short by a crash gets
  // the quote it left open and a line end first, so that no row is glued to
  // a broken one. When the name no longer leads to the open file (moved
  // away or removed, as log rotation does), the name is opened anew and the
  // row goes there. A write that fails is cut off again, so the file only
  // ever holds whole rows. Safe to call from several threads. 0, or -1 with
  // the reason.
  int Append(const std::string& row, std::string* reason);
  bool IsOpen() const { return open; }
  // Why the file as found at Open does not look like a record of this
  // program, or "" when it does; rows are appended to it all the same.
  const std::string& Oddity() const { return oddity; }

 private:
  std::mutex mutex;  // the file lock does not keep this process's threads apart
  RecordHandle handle{};
  bool open = false;
  std::string name;  // as given to Open, looked up again before each row
  std::string oddity;
  QuoteCount quotes;
};

// The computer's host name, for the station column.
std::string HostName();
