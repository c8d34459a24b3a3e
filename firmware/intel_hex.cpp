#include "firmware/intel_hex.h"

#include <cstdio>
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
constexpr int addressRecordLength = 2;
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

HexStatus Fail(HexProblem& problem, HexStatus status, int line, uint32_t address = 0) {
  problem.status = status;
  problem.line = line;
  problem.address = address;
  return status;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

// Checks one record's frame: the colon, the digits, the length and the sum.
HexStatus DecodeRecord(const std::string& line, int lineNumber, std::vector<uint8_t>& record,
                       HexProblem& problem) {
  if (line[0] != ':') return Fail(problem, HexStatus::noColon, lineNumber);
  if (!DecodeBytes(line.substr(1), record)) {
    return Fail(problem, HexStatus::notHexadecimal, lineNumber);
  }
  if (record.size() < recordHeaderLength + 1 ||
      record.size() != recordHeaderLength + 1u + record[0]) {
    return Fail(problem, HexStatus::badLength, lineNumber);
  }
  uint8_t sum = 0;
  for (const uint8_t byte : record) sum = static_cast<uint8_t>(sum + byte);
  if (sum != 0) return Fail(problem, HexStatus::badChecksum, lineNumber);
  return HexStatus::ok;
}

}  // namespace

HexStatus ParseIntelHex(const std::string& text, HexRange range, HexImage& image,
                        HexProblem& problem) {
  std::istringstream lines(text);
  std::string line;
  uint32_t upperAddress = 0;
  bool ended = false;
  int lineNumber = 0;
  while (std::getline(lines, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (ended) return Fail(problem, HexStatus::afterEnd, lineNumber);
    std::vector<uint8_t> record;
    if (DecodeRecord(line, lineNumber, record, problem) != HexStatus::ok) return problem.status;

    const int count = record[0];
    const uint32_t offset = (uint32_t{record[1]} << 8) | record[2];
    const uint8_t* payload = record.data() + recordHeaderLength;
    switch (record[3]) {
      case recordData:
        for (int i = 0; i < count; ++i) {
          const uint32_t address = upperAddress + offset + uint32_t(i);
          if (address < range.low || address >= range.high) {
            return Fail(problem, HexStatus::outsideRange, lineNumber, address);
          }
          const auto [kept, fresh] = image.bytes.emplace(address, payload[i]);
          if (!fresh && kept->second != payload[i]) {
            return Fail(problem, HexStatus::conflictingByte, lineNumber, address);
          }
        }
        break;
      case recordEnd:
        ended = true;
        break;
      case recordSegmentAddress:
      case recordLinearAddress:
        if (count != addressRecordLength) {
          return Fail(problem, HexStatus::badAddressRecord, lineNumber);
        }
        upperAddress = ((uint32_t{payload[0]} << 8) | payload[1])
                       << (record[3] == recordLinearAddress ? linearShift : segmentShift);
        break;
      case recordSegmentStart:
      case recordLinearStart:
        break;  // an entry point means nothing to a page image
      default:
        problem.recordType = record[3];
        return Fail(problem, HexStatus::unknownRecordType, lineNumber);
    }
  }
  if (!ended) return Fail(problem, HexStatus::noEnd, lineNumber);
  problem = HexProblem{};
  return HexStatus::ok;
}

std::string HexProblemReason(const HexProblem& problem, HexRange range) {
  switch (problem.status) {
    case HexStatus::ok:
      return "";
    case HexStatus::noColon:
      return "запись не начинается с «:»";
    case HexStatus::notHexadecimal:
      return "в записи не шестнадцатеричные цифры";
    case HexStatus::badLength:
      return "длина записи не совпадает с её счётчиком байтов";
    case HexStatus::badChecksum:
      return "неверная контрольная сумма";
    case HexStatus::unknownRecordType: {
      char type[8];
      std::snprintf(type, sizeof type, "%02X", problem.recordType);
      return std::string("неизвестный тип записи ") + type;
    }
    case HexStatus::badAddressRecord:
      return "в записи адреса должно быть два байта";
    case HexStatus::outsideRange:
      return "байт " + Hex(problem.address) + " вне области контроллера " + Hex(range.low) + "-" +
             Hex(range.high - 1);
    case HexStatus::conflictingByte:
      return "байт " + Hex(problem.address) + " задан дважды с разными значениями";
    case HexStatus::afterEnd:
      return "запись после записи конца файла";
    case HexStatus::noEnd:
      return "нет записи конца файла (:00000001FF)";
  }
  return "неизвестная ошибка";
}

namespace {

constexpr uint32_t recordAddressMask = 0xFFFF;
constexpr int checksumDigits = 3;  // two and the terminating null

// ":LLAAAATT" + data + checksum, with the line end.
std::string Record(int type, uint32_t offset, const std::vector<uint8_t>& data,
                   const char* lineEnd) {
  std::vector<uint8_t> body = {uint8_t(data.size()), uint8_t(offset >> 8), uint8_t(offset),
                               uint8_t(type)};
  body.insert(body.end(), data.begin(), data.end());
  std::string text = ":";
  uint8_t sum = 0;
  char digits[checksumDigits];
  for (const uint8_t byte : body) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    text += digits;
    sum = uint8_t(sum + byte);
  }
  std::snprintf(digits, sizeof digits, "%02X", uint8_t(-sum));
  return text + digits + lineEnd;
}

}  // namespace

std::string IntelHexText(const HexImage& image, const char* lineEnd) {
  std::string text;
  uint32_t upper = 0;  // what a reader assumes before any address record
  std::vector<uint8_t> data;
  uint32_t start = 0;
  const auto flush = [&] {
    if (data.empty()) return;
    if (start >> linearShift != upper) {
      upper = start >> linearShift;
      text += Record(recordLinearAddress, 0, {uint8_t(upper >> 8), uint8_t(upper)}, lineEnd);
    }
    text += Record(recordData, start & recordAddressMask, data, lineEnd);
    data.clear();
  };
  for (const auto& [address, value] : image.bytes) {
    // A record holds consecutive bytes of one aligned group of hexRecordData.
    const bool extends = !data.empty() && start + data.size() == address &&
                         address % hexRecordData != 0;
    if (!extends) {
      flush();
      start = address;
    }
    data.push_back(value);
  }
  flush();
  return text + Record(recordEnd, 0, {}, lineEnd);
}
