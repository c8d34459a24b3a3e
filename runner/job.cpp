#include "runner/job.h"

namespace {

int CoefficientPagesOf(const Job& job) {
  if (!job.coefficients) return 0;
  const CoefficientPages pages(job.coefficients->data());
  return CountPresentPages(pages.table, coefficientPagesStart, coefficientPagesEnd,
                           coefficientPagesStart);
}

int PagesMoved(const Job& job) {
  switch (job.kind) {
    case JobKind::firmware:
    case JobKind::verify:
      return CountFirmwarePages(job.firmware);
    case JobKind::reset:
      return CountPresentPages(*job.firmware[0], coefficientPagesStart, coefficientPagesEnd,
                               firmwareBase);
    case JobKind::write:
      return CoefficientPagesOf(job);
    case JobKind::saveCoefficients:
      // Both pages, whatever they hold.
      return coefficientPageCount;
    case JobKind::readFirmware:
      // Every page of the three areas, whatever the tables hold.
      return CountFirmwareAreaPages();
    case JobKind::probe:
      return 0;
  }
  return 0;
}

}  // namespace

PageProgress JobPages(const Job& job) {
  const int pages = PagesMoved(job);
  PageProgress progress;
  progress.toWrite = ReadsOnly(job.kind) ? 0 : pages;
  progress.toVerify = pages;
  return progress;
}
