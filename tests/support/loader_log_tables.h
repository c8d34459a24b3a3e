// The log lines each job writes when it goes as planned, colour codes
// included: the procedures' own and the window's log both hold them so.
#pragma once

#include <string>
#include <vector>

using Lines = std::vector<std::string>;

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
