#include <vector>

#include "record/job_record.h"
#include "record/record_file_shape.h"

namespace {

constexpr char byteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t byteOrderMarkSize = sizeof byteOrderMark - 1;
// Big enough that a year of rows is read in a few hundred calls, small
// enough for the stack of any thread.
constexpr std::size_t scanChunk = 64 * 1024;

bool CountQuotes(const ReadRecordBytes& read, long long size, QuoteCount* count) {
  if (size < count->size) *count = QuoteCount{};
  std::vector<char> chunk(scanChunk);
  while (count->size < size) {
    const long long left = size - count->size;
    const std::size_t length =
        left < static_cast<long long>(scanChunk) ? static_cast<std::size_t>(left) : scanChunk;
    if (!read(count->size, chunk.data(), length)) return false;
    for (std::size_t i = 0; i < length; ++i) count->open ^= chunk[i] == '"';
    count->size += static_cast<long long>(length);
  }
  return true;
}

}  // namespace

int RecordLead(const ReadRecordBytes& read, long long size, QuoteCount* count, std::string* lead,
               std::string* reason) {
  lead->clear();
  if (size == 0) {
    *count = QuoteCount{};
    *lead = RecordHeader();
    return 0;
  }
  char tail[2] = {0, 0};
  const long long tailSize = size >= 2 ? 2 : 1;
  if (!read(size - tailSize, tail + 2 - tailSize, static_cast<std::size_t>(tailSize)) ||
      !CountQuotes(read, size, count)) {
    *reason = "не удалось прочитать файл";
    return -1;
  }
  if (count->open) *lead = "\"\r\n";
  else if (tail[1] == '\r') *lead = "\n";
  else if (tail[1] != '\n') *lead = "\r\n";
  return 0;
}

std::string RecordOddity(const ReadRecordBytes& read, long long size) {
  if (size <= 0) return "";
  const std::string header = RecordHeader();
  const std::size_t count =
      size < static_cast<long long>(header.size()) ? static_cast<std::size_t>(size) : header.size();
  std::string start(count, '\0');
  if (!read(0, &start[0], count)) return "не удалось прочитать начало файла";
  if (start.compare(0, byteOrderMarkSize, byteOrderMark) != 0) return "нет метки порядка байтов";
  // A record begun before its last column (firmware_release) was added is
  // one of ours too: its rows only lack that field.
  const std::string earlier = header.substr(0, header.rfind(';')) + "\r\n";
  if (start != header && start.compare(0, earlier.size(), earlier) != 0) return "другой заголовок";
  char tail[2] = {0, 0};
  if (!read(size - 2, tail, 2)) return "не удалось прочитать конец файла";
  if (tail[1] == '\n' && tail[0] != '\r') return "строки кончаются LF, а не CR LF";
  return "";
}
