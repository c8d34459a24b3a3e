// velt-flash's exit statuses: what a script or a production line acts on.
#pragma once

#include "loader/procedures.h"

constexpr int exitStarted = 0;           // verified, and the application started
constexpr int exitFailed = 1;            // "Ошибка!!!."
constexpr int exitNoAnswer = 2;          // "Не отвечает."
constexpr int exitStartNotConfirmed = 3; // verified, but the bootloader still answers
constexpr int exitPortUnusable = 4;      // the port cannot be opened
constexpr int exitFileRejected = 5;      // the coefficient file cannot be used
constexpr int exitUsage = 64;            // the command line is wrong
constexpr int exitInterrupted = 130;     // stopped by Ctrl-C between two steps

int ExitStatusOf(Outcome outcome);
