// How far a job has come: pages done against the pages it will write and
// read back. The window's bar and velt-flash's lines both show this.
#pragma once

#include "loader/report.h"

struct PageProgress {
  int toWrite = 0;
  int toVerify = 0;
  int written = 0;
  int verified = 0;
};

void CountPage(PageProgress* progress, PageWork work);
