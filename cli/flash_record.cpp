#include "cli/flash_record.h"

#include <cstdio>

#include "link/printable_text.h"
#include "runner/exit_status.h"

std::string FlashRecord::Unavailable(const std::string& reason) const {
  return "velt-flash: журнал работ недоступен: " + PrintableText(recorder.Path()) + ": " + reason;
}

int FlashRecord::Open(const std::string& path) {
  std::string reason;
  if (recorder.Open(path, &reason) == 0) return 0;
  std::fprintf(stderr, "%s\n", Unavailable(reason).c_str());
  return exitRecordUnavailable;
}

int FlashRecord::Append(const Job& job, const JobResult& result,
                        const std::function<void(const std::string&)>& say) {
  std::string reason;
  if (recorder.Append(job, result, &reason) == 0) return result.status;
  say(Unavailable(reason));
  return exitRecordUnavailable;
}
