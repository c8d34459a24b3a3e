// Which step of a job failed and what came back from the device, so that a
// front end can say more than "Ошибка!!!." (the window's log keeps its own
// lines; the command line and the job record say this too).
#pragma once

#include <cstdint>
#include <string>

#include "link/boot_link.h"

enum class StepKind {
  none,
  selection,    // the line switched to a controller, then the presence query
  controlByte,  // the control byte, then the presence query
  nullCommand,  // the null command, then the presence query
  sync,         // the presence query alone
  erase,
  write,
  read,
  compare,      // a page read back different
};

// What a job is doing: the step, the controller the line leads to (1..3, 0
// before the first selection) and the page, for page steps.
struct JobStep {
  StepKind kind = StepKind::none;
  int controller = 0;
  uint32_t address = 0;
};

// The step a job failed at (kind none: it has not failed) and the link's
// last exchange then.
struct JobFailure {
  JobStep step;
  LinkOperation operation = LinkOperation::none;
  Reply reply = Reply::answered;
};

// "стирание страницы 0x2140 контроллера 2: пришло только эхо"; "" when
// nothing failed.
std::string DescribeFailure(const JobFailure& failure);
