#include "app/window_coefficients.h"

#include "loader/procedures.h"

CoefficientImage coefficientImage{};
PageTable coefficientTable{nullptr, 0};
std::atomic<int> coefficientsLoaded{0};
std::string loadedCoefficientFile;

namespace {

// The table's entries: the image never moves, so neither do they.
const CoefficientPages imagePages(coefficientImage.data());

}  // namespace

bool LoadedFileUnchanged() {
  CoefficientImage now{};
  return ReadCoefficientFile(loadedCoefficientFile.c_str(), &now) == coefficientFileOk &&
         now == coefficientImage;
}

int LoadCoefficientFile(const char* path, int* badLine) {
  CoefficientImage image{};
  const int result = ReadCoefficientFile(path, &image, badLine);
  if (result != coefficientFileOk) return result;
  coefficientImage = image;
  coefficientTable = imagePages.table;
  loadedCoefficientFile = path;
  coefficientsLoaded = 1;
  return result;
}
