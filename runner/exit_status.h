// velt-flash's exit statuses: what a script or a production line acts on,
// and what the job record's exit column says for the window's jobs too.
#pragma once

#include "runner/job_outcome.h"

constexpr int exitStarted = 0;           // verified, and the application started
constexpr int exitFailed = 1;            // "Ошибка!!!."
constexpr int exitNoAnswer = 2;          // "Не отвечает."
constexpr int exitStartNotConfirmed = 3; // verified, but the bootloader still answers
constexpr int exitPortUnusable = 4;      // the port cannot be opened
constexpr int exitFileRejected = 5;      // the coefficient file cannot be used
constexpr int exitRecordUnavailable = 6; // the job record cannot be opened or written
constexpr int exitUsage = 64;            // the command line is wrong
constexpr int exitInterrupted = 130;     // stopped by Ctrl-C between two steps

int ExitStatusOf(JobOutcome outcome);
