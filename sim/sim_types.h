// Plain records shared by the device model, the pty runner and velt-sim.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Kinds of frame the device tells apart; faults are aimed at a kind.
enum class SimCommand { query, read, write, erase, control, null, select, launch };

// Hits `count` consecutive frames of one kind, starting at the `nth` one.
// Every frame of the kind with a good checksum counts, answered or not, from
// 1 since the faults were set.
struct SimFault {
  SimCommand kind;
  int nth;
  int count = 1;
};

struct SimFaults {
  bool silent = false;        // no echo, no answers: a dead line
  bool echoOnly = false;      // the line echoes, no bootloader answers
  bool ignoreLaunch = false;  // the bootloaders stay in after Launch
  std::vector<SimFault> dropAnswer;
  std::vector<SimFault> corruptChecksum;
  std::vector<SimFault> strayBytes;  // junk between the echo and the answer
  std::vector<SimFault> hangUp;      // the line goes dead when this frame arrives
  int badReadController = 0;         // 1..3; 0 = off
  uint32_t badReadPage = 0;          // page address whose read-back has one wrong byte
};

// Bytes a controller holds from the start, over the fill: what an earlier
// load left there.
struct SimMemoryBlock {
  int controller;  // 1..3
  uint32_t address;
  std::vector<uint8_t> bytes;
};

struct SimOptions {
  int baud = 57600;  // pace of the answers; 0 = as fast as possible
  // Answer bytes the computer's receiver hands over at once, as a UART's
  // receive FIFO does; the last bytes of an answer are never held back.
  int fifoBytes = 1;
  // A USB adapter's latency timer between the device and the pty; 0: none.
  int adapterLatencyMs = 0;
  uint8_t fill = 0xFF;
  int eraseLatencyMs = 0;
  int writeLatencyMs = 0;
  bool stayLaunched = false;  // SelectController3 does not bring the bootloaders back
  std::vector<SimMemoryBlock> preload;  // each within its controller's memory
  SimFaults faults;
};

// One frame as the device received it.
struct SimFrame {
  int controller = 0;  // where the line was routed when it arrived, 1..3
  int command = 0;
  uint32_t address = 0;  // as sent in the header; 0 for command 0
  std::vector<uint8_t> data;
  bool checksumOk = true;  // a frame with a bad checksum is recorded but not obeyed
};

constexpr int simControllerCount = 3;
constexpr uint32_t simMemorySize = 0x8000;  // 32 KiB of program memory per controller
constexpr uint32_t simPageSize = 64;

const char* SimCommandName(SimCommand kind);
// Parses a kind name ("query", "read", ...). Returns 0 or -1.
int ParseSimCommand(const std::string& name, SimCommand* kind);
