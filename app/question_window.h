// A yes/no question to the operator whose safe answer, "Нет", is the
// default: Enter, Escape and the close box give it, only "Да" does not. A
// question about something that may end by itself (a running operation)
// withdraws once it has ended.
#pragma once

constexpr int questionYes = 1;
constexpr int questionNo = 0;
constexpr int questionWithdrawn = -1;  // what it asked about ended first

// Shows the question modal and pumps events until it is answered or
// `stillRelevant` (when given) turns false; returns questionYes only for
// "Да". GUI thread only.
int AskQuestion(const char* title, const char* text, bool (*stillRelevant)() = nullptr);
