// Why ReadCoefficientFile refused a file, in the operator's words; the window
// and velt-flash say it the same way.
#pragma once

#include <string>

// The reason for a result other than 0, with the line ReadCoefficientFile
// named: "в строке 8 нет числа", "в файле меньше 28 строк (прочитано 27)", ...
std::string CoefficientFileProblem(int result, int badLine);
