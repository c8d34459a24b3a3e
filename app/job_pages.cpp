#include "app/job_pages.h"

#include "app/operations.h"
#include "coeff/coefficient_file.h"
#include "link/boot_link.h"
#include "loader/firmware/firmware_images.h"
#include "loader/procedure_steps.h"

PageProgress JobPages(WindowJob job) {
  int pages = 0;
  switch (job) {
    case WindowJob::loadFirmware:
      for (size_t k = 0; k < firmwareTables.size(); ++k) {
        pages += CountPresentPages(*firmwareTables[k], firmwareBase,
                                   firmwareControllers[k].rangeEnd, firmwareBase);
      }
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
      return {0, coefficientPagesSize / pageSize, 0, 0};
  }
  return {pages, pages, 0, 0};
}
