// Reads Intel HEX text (the form firmware ships in) into address -> byte,
// keeping only bytes of one address range. Used by the firmware set reader,
// at build time and at run time alike.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct HexImage {
  std::map<uint32_t, uint8_t> bytes;
};

// Why a text was refused; each names the line it was found on.
enum class HexStatus {
  ok,
  noColon,           // a record does not start with ':'
  notHexadecimal,    // a character that is no hexadecimal digit, or an odd count
  badLength,         // the record's length does not match its byte count
  badChecksum,
  unknownRecordType,
  badAddressRecord,  // an extended address record without exactly two bytes
  outsideRange,      // a data byte outside [low, high)
  conflictingByte,   // a byte given twice with different values
  afterEnd,          // a record after the end-of-file record
  noEnd,             // no end-of-file record; the line is the last one
};

struct HexProblem {
  HexStatus status = HexStatus::ok;
  int line = 0;           // 1-based
  uint32_t address = 0;   // the byte at fault, for outsideRange and conflictingByte
  int recordType = 0;     // for unknownRecordType
};

// The bytes a reader keeps: [low, high).
struct HexRange {
  uint32_t low;
  uint32_t high;
};

// Parses `text`, keeping the data bytes in `range`. Record types 00, 01, 02
// and 04 are obeyed; 03 and 05 (entry points) are accepted and ignored; every
// checksum is checked; empty lines are skipped. Returns HexStatus::ok and
// fills `image`, or the first fault with its line in `problem`.
HexStatus ParseIntelHex(const std::string& text, HexRange range, HexImage& image,
                        HexProblem& problem);

// The fault in the operator's words, without the line: "неверная
// контрольная сумма", "байт 0x7000 вне области контроллера 0x2000-0x6FFF".
std::string HexProblemReason(const HexProblem& problem, HexRange range);

// Data bytes per record in the text IntelHexText writes, as firmware tools
// write it.
constexpr int hexRecordData = 16;

// The image as Intel HEX: each record at most hexRecordData consecutive
// bytes within one aligned group of that size, an extended linear address
// record wherever the upper 16 address bits change, then the end record.
// Each line ends with `lineEnd`.
std::string IntelHexText(const HexImage& image, const char* lineEnd);
