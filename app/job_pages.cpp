#include "app/job_pages.h"

#include "app/operations.h"
#include "coeff/coefficient_file.h"
#include "loader/procedures.h"

PageProgress JobPages(WindowJob job) {
  int pages = 0;
  switch (job) {
    case WindowJob::loadFirmware:
      pages = CountFirmwarePages(firmwareTables);
      break;
    case WindowJob::writeCoefficients:
      pages = CountPresentPages(coefficientTable, coefficientPagesStart, coefficientPagesEnd,
                                coefficientBase);
      break;
    case WindowJob::resetCoefficients:
      pages = CountPresentPages(*firmwareTables[0], coefficientPagesStart, coefficientPagesEnd,
                                firmwareBase);
      break;
    case WindowJob::saveCoefficients:
      // Only read: both pages, whatever they hold.
      return {0, coefficientPageCount, 0, 0};
  }
  return {pages, pages, 0, 0};
}
