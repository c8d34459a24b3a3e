#include "coeff/rejection_reason.h"

#include "coeff/coefficient_file.h"

std::string CoefficientFileProblem(int result, int badLine) {
  const std::string lines = std::to_string(coefficientCount) + " строк";
  switch (result) {
    case coefficientFileUnopenable:
      return "файл не открывается";
    case coefficientFileNoSize:
      return "не удаётся узнать размер файла";
    case coefficientFileNotRegular:
      return "это не обычный файл (канал, терминал или устройство)";
    case coefficientFileNotANumber:
      return "в строке " + std::to_string(badLine) + " нет числа";
    case coefficientFileSpacedNumber:
      return "в строке " + std::to_string(badLine) +
             " число записано с запятой или пробелами внутри: используйте точку (1000.5)";
    case coefficientFileTooLong:
      return "в файле больше " + lines;
    case coefficientFileTooShort:
      if (badLine <= 1) return "файл пуст";
      return "в файле меньше " + lines + " (прочитано " + std::to_string(badLine - 1) + ")";
  }
  return "неизвестная ошибка " + std::to_string(result);
}
