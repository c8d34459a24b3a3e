#include "loader/probe_line.h"

#include <algorithm>
#include <cstdio>

#include "link/line_speed.h"
#include "link/timed_query.h"
#include "loader/procedure_steps.h"

namespace {

ProbeVerdict VerdictOf(Reply reply) {
  switch (reply) {
    case Reply::answered:
      return ProbeVerdict::answered;
    case Reply::echoOnly:
      return ProbeVerdict::echoOnly;
    case Reply::nothing:
      return ProbeVerdict::silent;
    default:
      return ProbeVerdict::garbage;
  }
}

// What most of the unanswered queries heard, for the failure report.
Reply CommonestFault(const ControllerProbe& controller) {
  if (CountOf(controller, ProbeVerdict::garbage) > CountOf(controller, ProbeVerdict::echoOnly) &&
      CountOf(controller, ProbeVerdict::garbage) > CountOf(controller, ProbeVerdict::silent)) {
    return Reply::garbage;
  }
  return CountOf(controller, ProbeVerdict::echoOnly) >= CountOf(controller, ProbeVerdict::silent)
             ? Reply::echoOnly
             : Reply::nothing;
}

TimeSpread SpreadOf(std::vector<double> times) {
  TimeSpread spread;
  if (times.empty()) return spread;
  std::sort(times.begin(), times.end());
  spread.samples = static_cast<int>(times.size());
  spread.minMs = times.front();
  spread.maxMs = times.back();
  const std::size_t middle = times.size() / 2;
  spread.medianMs =
      times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
  return spread;
}

struct Samples {
  std::vector<double> send, echo, answer;
};

// Returns false when a stop was requested before the controller's queries.
bool ProbeController(RunContext& run, const ControllerLayout& layout, int count,
                     ControllerProbe* controller, Samples* all) {
  if (StopRequested(run)) return false;
  run.step = JobStep{StepKind::sync, layout.number, 0};
  SwitchLine(run.link, layout);
  LetLineSettle(run.link, syncAnswerWaitMilliseconds, timedQueryBudgetMilliseconds);
  controller->controller = layout.number;
  Samples own;
  for (int i = 0; i < count; ++i) {
    if (StopRequested(run)) return false;
    const TimedQuery timed = TimeQuery(run.link);
    ++controller->verdicts[static_cast<int>(VerdictOf(timed.reply))];
    all->send.push_back(timed.sendMs);
    if (timed.echoMs >= 0) own.echo.push_back(timed.echoMs);
    if (timed.answerMs >= 0) own.answer.push_back(timed.answerMs);
  }
  controller->echo = SpreadOf(own.echo);
  controller->answer = SpreadOf(own.answer);
  all->echo.insert(all->echo.end(), own.echo.begin(), own.echo.end());
  all->answer.insert(all->answer.end(), own.answer.begin(), own.answer.end());
  return true;
}

void Measure(const Samples& all, int queryLength, LineProbe* probe) {
  if (all.answer.empty()) return;
  probe->measured = true;
  probe->sendMsPerByte = SpreadOf(all.send).medianMs / queryLength;
  probe->echoDelayMs = SpreadOf(all.echo).medianMs;
  probe->answerDelayMs = std::max(
      0.0, SpreadOf(all.answer).medianMs - LineMilliseconds(queryAnswerFrameLength));
  probe->lineSeconds = PredictedSeconds(probe->load, probe->sendMsPerByte, 0);
  probe->predictedSeconds =
      PredictedSeconds(probe->load, probe->sendMsPerByte, probe->answerDelayMs);
}

void AppendSpread(std::string* line, const char* what, const TimeSpread& spread) {
  if (spread.samples == 0) return;
  char text[96];
  std::snprintf(text, sizeof text, "; %s %.1f/%.1f/%.1f мс", what, spread.minMs, spread.medianMs,
                spread.maxMs);
  *line += text;
}

}  // namespace

int CountOf(const ControllerProbe& controller, ProbeVerdict verdict) {
  return controller.verdicts[static_cast<int>(verdict)];
}

std::string DescribeControllerProbe(const ControllerProbe& controller, int count) {
  char text[160];
  std::snprintf(text, sizeof text,
                "Контроллер %d: отвечает %d из %d, только эхо %d, тишина %d, мусор %d",
                controller.controller, CountOf(controller, ProbeVerdict::answered), count,
                CountOf(controller, ProbeVerdict::echoOnly), CountOf(controller, ProbeVerdict::silent),
                CountOf(controller, ProbeVerdict::garbage));
  std::string line = text;
  AppendSpread(&line, "эхо", controller.echo);
  AppendSpread(&line, "ответ", controller.answer);
  if (controller.echo.samples > 0 || controller.answer.samples > 0) {
    line += " (мин/медиана/макс)";
  }
  return line;
}

std::vector<std::string> DescribeLineTimes(const LineProbe& probe) {
  if (!probe.measured) return {};
  char delay[192];
  std::snprintf(delay, sizeof delay,
                "Задержка адаптера: %.1f мс на обмен сверх времени байтов на %d бод "
                "(эхо приходит через %.1f мс)",
                probe.answerDelayMs, lineBaud, probe.echoDelayMs);
  char load[192];
  std::snprintf(load, sizeof load,
                "Загрузка прошивок: около %.1f с с этой задержкой, %.1f с по самой линии "
                "(обменов с ответом: %d)",
                probe.predictedSeconds, probe.lineSeconds, probe.load.acknowledged);
  return {delay, load};
}

Outcome ProbeLine(RunContext& run, const FirmwareTables& tables, int count, LineProbe* probe) {
  BeginJob(run);
  *probe = LineProbe{};
  probe->count = count;
  probe->load = CountLoadCost(tables);
  // A device that does not answer the contact is probed all the same: which
  // controller is silent, and how, is what the operator came for.
  if (MakeContact(run) == StepResult::stopped) return Outcome::stopped;
  Samples all;
  int answering = 0;
  const ControllerProbe* firstFault = nullptr;
  for (int k = 0; k < controllerCount; ++k) {
    ControllerProbe& controller = probe->controllers[k];
    if (!ProbeController(run, controllerLayouts[k], count, &controller, &all)) {
      return Outcome::stopped;
    }
    Log(run, LineKind::progress, DescribeControllerProbe(controller, count).c_str());
    if (CountOf(controller, ProbeVerdict::answered) == count) {
      ++answering;
    } else if (firstFault == nullptr) {
      firstFault = &controller;
    }
  }
  Measure(all, run.link.queryLength, probe);
  if (answering == controllerCount) return StartApplication(run);
  if (all.answer.empty()) {
    Log(run, LineKind::failure, "Не отвечает.");
    return Outcome::noAnswer;
  }
  Log(run, LineKind::failure, "Ошибка!!!.");
  run.failure = JobFailure{JobStep{StepKind::sync, firstFault->controller, 0}, LinkOperation::query,
                           CommonestFault(*firstFault)};
  return Outcome::failed;
}
