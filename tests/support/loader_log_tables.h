// The log lines each job writes when it goes as planned, each written as the
// window's log holds it: "@C4" before progress, "@C1" before a failure.
#pragma once

#include <string>
#include <vector>

#include "loader/report.h"

using Lines = std::vector<std::string>;

// A procedure's (kind, text) in the tables' notation.
inline std::string LoggedLine(LineKind kind, const char* text) {
  return (kind == LineKind::failure ? "@C1" : "@C4") + std::string(text);
}

inline const Lines firmwareLoaded = {
    "@C4Контроллер 1 - запись",   "@C4Контроллер 2 - запись",   "@C4Контроллер 3 - запись",
    "@C4Контроллеры загружены.",  "@C4Контроллер 1 - проверка", "@C4Контроллер 2 - проверка",
    "@C4Контроллер 3 - проверка", "@C4Проверка прошла.",        "@C4Запуск.",
};
inline const Lines coefficientsWritten = {"@C4Запись коэффициентов.", "@C4Коэффициенты прошились.",
                                          "@C4Проверка.", "@C4Проверка прошла.", "@C4Запуск."};
inline const Lines coefficientsReset = {"@C4Сброс коэффициентов.", "@C4Коэффициенты сброшены.",
                                        "@C4Проверка.", "@C4Проверка прошла.", "@C4Запуск."};
// A coefficient write whose pages read back different.
inline const Lines coefficientsNotVerified = {"@C4Запись коэффициентов.",
                                              "@C4Коэффициенты прошились.", "@C4Проверка.",
                                              "@C1Ошибка!!!."};
// The read of a save, before the window's own result line.
inline const Lines coefficientsRead = {"@C4Чтение коэффициентов.", "@C4Запуск."};
