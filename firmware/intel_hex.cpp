#include "firmware/intel_hex.h"

#include <sstream>
#include <vector>

namespace {

constexpr int recordData = 0x00;
constexpr int recordEnd = 0x01;
constexpr int recordSegmentAddress = 0x02;
constexpr int recordSegmentStart = 0x03;
constexpr int recordLinearAddress = 0x04;
constexpr int recordLinearStart = 0x05;
constexpr int recordHeaderLength = 4;  // count, address high, address low, type
constexpr uint32_t segmentShift = 4;
constexpr uint32_t linearShift = 16;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool DecodeBytes(const std::string& digits, std::vector<uint8_t>& out) {
  if (digits.size() % 2 != 0) return false;
  for (size_t i = 0; i < digits.size(); i += 2) {
    const int high = HexDigit(digits[i]);
    const int low = HexDigit(digits[i + 1]);
    if (high < 0 || low < 0) return false;
    out.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return true;
}

int Fail(std::string& error, int lineNumber, const char* what) {
  std::ostringstream message;
  message << "line " << lineNumber << ": " << what;
  error = message.str();
  return -1;
}

}  // namespace

int ParseIntelHex(const std::string& text, HexImage& image, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  uint32_t upperAddress = 0;
  bool ended = false;
  int lineNumber = 0;
  while (std::getline(lines, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (ended) return Fail(error, lineNumber, "record after the end-of-file record");
    if (line[0] != ':') return Fail(error, lineNumber, "record does not start with ':'");
    std::vector<uint8_t> record;
    if (!DecodeBytes(line.substr(1), record)) return Fail(error, lineNumber, "not hexadecimal");
    if (record.size() < recordHeaderLength + 1 || record.size() != recordHeaderLength + 1u + record[0]) {
      return Fail(error, lineNumber, "record length does not match its byte count");
    }
    uint8_t sum = 0;
    for (const uint8_t byte : record) sum = static_cast<uint8_t>(sum + byte);
    if (sum != 0) return Fail(error, lineNumber, "bad checksum");

    const int count = record[0];
    const uint32_t offset = (uint32_t{record[1]} << 8) | record[2];
    const uint8_t* payload = record.data() + recordHeaderLength;
    switch (record[3]) {
      case recordData:
        for (int i = 0; i < count; ++i) {
          if (!image.bytes.emplace(upperAddress + offset + i, payload[i]).second) {
            return Fail(error, lineNumber, "address given twice");
          }
        }
        break;
      case recordEnd:
        ended = true;
        break;
      case recordSegmentAddress:
      case recordLinearAddress:
        if (count != 2) return Fail(error, lineNumber, "address record must hold two bytes");
        upperAddress = ((uint32_t{payload[0]} << 8) | payload[1])
                       << (record[3] == recordLinearAddress ? linearShift : segmentShift);
        break;
      case recordSegmentStart:
      case recordLinearStart:
        break;  // an entry point means nothing to a page image
      default:
        return Fail(error, lineNumber, "unknown record type");
    }
  }
  if (!ended) return Fail(error, lineNumber, "no end-of-file record");
  return 0;
}
