#include "cli/flash_record.h"

#include <cstdio>

#include "link/printable_text.h"
#include "runner/exit_status.h"

std::string FlashRecord::Unavailable(const std::string& reason) const {
  return "velt-flash: журнал работ недоступен: " + PrintableText(recorder.Path()) + ": " + reason;
}

int FlashRecord::Open(const std::string& path) {
  std::string reason;
  if (recorder.Open(path, &reason) == 0) {
    // The rows are the user's: say it once, and append all the same.
    if (!recorder.Oddity().empty()) {
      std::fprintf(stderr, "velt-flash: %s не похож на журнал работ (%s); строки дописываются\n",
                   PrintableText(path).c_str(), recorder.Oddity().c_str());
    }
    return 0;
  }
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
