#include "runner/job_outcome.h"

namespace {

struct OutcomeNames {
  JobOutcome outcome;
  const char* name;
  const char* words;
};

constexpr OutcomeNames outcomeNames[] = {
    {JobOutcome::started, "started", "запущено"},
    {JobOutcome::startNotConfirmed, "startNotConfirmed", "запуск не подтверждён"},
    {JobOutcome::failed, "failed", "ошибка"},
    {JobOutcome::noAnswer, "noAnswer", "не отвечает"},
    {JobOutcome::portNotOpened, "portNotOpened", "порт не открылся"},
    {JobOutcome::stopped, "stopped", "прервано"},
    {JobOutcome::fileRejected, "fileRejected", "файл отклонён"},
};

const OutcomeNames* NamesOf(JobOutcome outcome) {
  for (const OutcomeNames& entry : outcomeNames) {
    if (entry.outcome == outcome) return &entry;
  }
  return nullptr;
}

}  // namespace

JobOutcome JobOutcomeOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::started:
      return JobOutcome::started;
    case Outcome::startNotConfirmed:
      return JobOutcome::startNotConfirmed;
    case Outcome::failed:
      return JobOutcome::failed;
    case Outcome::noAnswer:
      return JobOutcome::noAnswer;
    case Outcome::stopped:
      return JobOutcome::stopped;
  }
  return JobOutcome::failed;
}

const char* OutcomeName(JobOutcome outcome) {
  const OutcomeNames* names = NamesOf(outcome);
  return names != nullptr ? names->name : "";
}

const char* OutcomeWords(JobOutcome outcome) {
  const OutcomeNames* names = NamesOf(outcome);
  return names != nullptr ? names->words : "";
}
