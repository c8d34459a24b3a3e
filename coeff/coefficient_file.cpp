#include "coeff/coefficient_file.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "coeff/device_float.h"
#include "coeff/file_access.h"
#include "coeff/float_text.h"

namespace {

constexpr int readChunkSize = 4096;
constexpr int fillerOffset = coefficientCount * 4;
constexpr uint8_t fillerByte = 0xFF;

// Walks the file's bytes line by line as they stream in, keeping of each
// line only what can matter to its number, so that a huge file or a long
// trail of text after a number costs nothing.
struct LineWalk {
  enum class Phase { betweenLines, number, restOfLine };

  uint8_t image[coefficientImageSize];  // the working copy
  int count = 0;                        // values converted so far
  Phase phase = Phase::betweenLines;
  std::string kept;                     // the current line's number and what follows it

  // Converts the current line's number; 0, or the verdict on the line.
  int TakeNumber() {
    float value = 0.0f;
    const int read = ReadLeadingFloat(kept.data(), kept.size(), &value);
    kept.clear();
    if (read == floatTextSpacedNumber) return coefficientFileSpacedNumber;
    if (read != floatTextOk) return coefficientFileNotANumber;
    const DeviceFloat bytes = ToDeviceFloat(value);
    std::memcpy(image + 4 * count, bytes.bytes, sizeof bytes.bytes);
    ++count;
    return coefficientFileOk;
  }

  // Takes the next bytes; returns 0 to go on, else the file's verdict.
  int Feed(const char* data, int size) {
    for (int i = 0; i < size; ++i) {
      const char c = data[i];
      if (phase == Phase::betweenLines) {
        if (count == coefficientCount) return coefficientFileTooLong;
        phase = Phase::number;
      }
      if (phase == Phase::restOfLine) {
        const void* lineFeed = std::memchr(data + i, '\n', size - i);
        if (lineFeed == nullptr) return coefficientFileOk;
        i = static_cast<int>(static_cast<const char*>(lineFeed) - data);
        phase = Phase::betweenLines;
        continue;
      }
      // The line is judged at its end, or at the first character past which
      // the reader never looks (a NUL among them, where the C library's scan
      // of a line stops).
      const bool lineEnds = c == '\n';
      if (lineEnds || !MayMatterToNumber(c)) {
        if (const int verdict = TakeNumber()) return verdict;
        phase = lineEnds ? Phase::betweenLines : Phase::restOfLine;
      } else {
        kept += c;
      }
    }
    return coefficientFileOk;
  }

  // The end of the data: the last line may lack its line feed.
  int Finish() {
    if (phase == Phase::number) {
      if (const int verdict = TakeNumber()) return verdict;
    }
    return count < coefficientCount ? coefficientFileTooShort : coefficientFileOk;
  }
};

int WalkFile(std::FILE* file, LineWalk& walk) {
  char chunk[readChunkSize];
  for (;;) {
    const size_t got = std::fread(chunk, 1, sizeof chunk, file);
    const int verdict = walk.Feed(chunk, static_cast<int>(got));
    if (verdict != 0) return verdict;
    if (got < sizeof chunk) break;
  }
  // A file that fails part-way through cannot be read, as good as not opened.
  if (std::ferror(file)) return coefficientFileUnopenable;
  return walk.Finish();
}

}  // namespace

int ReadCoefficientFile(const char* path, CoefficientImage* image, int* badLine) {
  if (badLine != nullptr) *badLine = 0;
  if (path == nullptr) return coefficientFileUnopenable;
  // Judged before it is opened: opening a pipe waits for a writer.
  PathKind kind = PathKind::other;
  if (InspectPath(path, &kind) == 0 && kind == PathKind::other) return coefficientFileNotRegular;
  std::FILE* file = OpenForReading(path);
  if (file == nullptr) return coefficientFileUnopenable;
  if (InspectPath(path, &kind) != 0) {
    std::fclose(file);
    return coefficientFileNoSize;
  }
  // Some systems open a directory for reading; it still is no file. What
  // was put in the file's place meanwhile is not read either.
  if (kind != PathKind::regular) {
    std::fclose(file);
    return kind == PathKind::directory ? coefficientFileUnopenable : coefficientFileNotRegular;
  }

  LineWalk walk;
  const int result = WalkFile(file, walk);
  std::fclose(file);
  if (result != coefficientFileOk) {
    // The line at fault: the one without a number, or the first one missing.
    const bool namesLine = result == coefficientFileNotANumber ||
                           result == coefficientFileSpacedNumber ||
                           result == coefficientFileTooShort;
    if (badLine != nullptr && namesLine) *badLine = walk.count + 1;
    return result;
  }

  std::memset(walk.image + fillerOffset, fillerByte, coefficientImageSize - fillerOffset);
  std::memcpy(image->data(), walk.image, coefficientImageSize);
  return coefficientFileOk;
}
