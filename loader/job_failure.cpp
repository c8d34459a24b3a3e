#include "loader/job_failure.h"

#include <cstdio>

namespace {

constexpr int textSize = 160;

const char* ReplyText(Reply reply) {
  switch (reply) {
    case Reply::answered:
      return "ответ пришёл";
    case Reply::nothing:
      return "ничего не пришло, даже эхо";
    case Reply::echoOnly:
      return "пришло только эхо";
    case Reply::garbage:
      return "пришли посторонние байты";
    case Reply::incomplete:
      return "ответ оборвался";
    case Reply::badChecksum:
      return "ответ с неверной контрольной суммой";
    case Reply::wrongLength:
      return "ответ неверной длины";
    case Reply::otherCommand:
      return "ответ на другую команду";
  }
  return "";
}

// The step of a whole controller in words, for its number.
const char* ControllerStepFormat(StepKind kind) {
  switch (kind) {
    case StepKind::selection:
      return "выбор контроллера %d";
    case StepKind::controlByte:
      return "запись управляющего байта контроллера %d";
    case StepKind::nullCommand:
      return "пустая команда контроллеру %d";
    default:
      return "проверка связи с контроллером %d";
  }
}

// The step of one page in words, for the page's address and the controller.
const char* PageStepFormat(StepKind kind) {
  switch (kind) {
    case StepKind::erase:
      return "стирание страницы 0x%04X контроллера %d";
    case StepKind::write:
      return "запись страницы 0x%04X контроллера %d";
    case StepKind::read:
      return "чтение страницы 0x%04X контроллера %d";
    default:
      return "проверка страницы 0x%04X контроллера %d";
  }
}

bool IsPageStep(StepKind kind) {
  return kind == StepKind::erase || kind == StepKind::write || kind == StepKind::read ||
         kind == StepKind::compare;
}

}  // namespace

std::string DescribeFailure(const JobFailure& failure) {
  if (failure.step.kind == StepKind::none) return "";
  char step[textSize];
  if (IsPageStep(failure.step.kind)) {
    std::snprintf(step, sizeof step, PageStepFormat(failure.step.kind),
                  static_cast<unsigned>(failure.step.address), failure.step.controller);
  } else {
    std::snprintf(step, sizeof step, ControllerStepFormat(failure.step.kind),
                  failure.step.controller);
  }
  std::string text = step;
  if (failure.step.kind == StepKind::compare) return text + ": прочитано не то, что записано";
  // Steps that end with the presence query may fail at it rather than at
  // their own command.
  const bool atQuery =
      failure.operation == LinkOperation::query && failure.step.kind != StepKind::sync;
  return text + (atQuery ? ": на запрос присутствия " : ": ") + ReplyText(failure.reply);
}
