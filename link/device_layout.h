// The ВЕЛТ as the loader addresses it: where each controller's firmware lies,
// how the line is switched over to each controller, and where controller 1
// keeps its coefficients. The jobs, the firmware generator and the
// coefficient file all take their addresses from here.
#pragma once

#include <cstdint>

#include "link/boot_link.h"

// Every built-in image is a table over the application area, the same in
// each controller: entry 0 is the page at firmwareBase.
constexpr uint32_t firmwareBase = 0x2000;
constexpr uint32_t applicationEnd = 0x8000;
constexpr int firmwareTableEntries = int((applicationEnd - firmwareBase) / pageSize);

// What flash holds where nothing was written: padding of partial pages, the
// coefficient file's filler, and a page a read-out leaves out.
constexpr uint8_t erasedByte = 0xFF;

// Controller 1's two coefficient pages, [coefficientPagesStart,
// coefficientPagesEnd), at the top of its application area.
constexpr uint32_t coefficientPagesStart = 0x7000;
constexpr int coefficientPagesSize = 128;
constexpr uint32_t coefficientPagesEnd = coefficientPagesStart + coefficientPagesSize;
constexpr int coefficientPageCount = coefficientPagesSize / pageSize;

enum class ControllerSelection {
  channel,     // SelectChannel with the controller's channel; the line then needs a pause
  ownCommand,  // SelectController3
};

struct ControllerLayout {
  int number;  // 1..3, as the log names it
  ControllerSelection selection;
  int channel;           // SelectChannel's argument; unused for ownCommand
  bool controlByte;      // gets 0xFF before its pages are written, 0x00 once they are verified
  uint32_t firmwareEnd;  // the firmware load moves [firmwareBase, firmwareEnd)
};

constexpr int controllerCount = 3;

// Controllers 1, 2 and 3, in the order of the firmware tables.
inline constexpr ControllerLayout controllerLayouts[controllerCount] = {
    // Stops short of its coefficient pages, so that a load keeps them.
    {1, ControllerSelection::channel, channelController1, true, coefficientPagesStart},
    {2, ControllerSelection::channel, channelController2, true, applicationEnd},
    {3, ControllerSelection::ownCommand, 0, false, applicationEnd},
};

inline constexpr const ControllerLayout& coefficientController = controllerLayouts[0];

static_assert(firmwareBase % pageSize == 0 && applicationEnd % pageSize == 0 &&
                  coefficientPagesStart % pageSize == 0 && coefficientPagesSize % pageSize == 0,
              "the ranges are whole pages");
static_assert(coefficientPagesStart >= firmwareBase && coefficientPagesEnd <= applicationEnd,
              "the coefficient pages lie in controller 1's table");
static_assert(coefficientController.firmwareEnd <= coefficientPagesStart,
              "a firmware load must not touch the coefficients");
