#include "runner/page_progress.h"

void CountPage(PageProgress* progress, PageWork work) {
  if (work == PageWork::written) {
    ++progress->written;
  } else {
    ++progress->verified;
  }
}
