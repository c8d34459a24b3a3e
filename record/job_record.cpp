#include "record/job_record.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "link/printable_text.h"

namespace {

constexpr char byteOrderMark[] = "\xEF\xBB\xBF";
constexpr char lineEnd[] = "\r\n";

constexpr int64_t secondsPerDay = 86400;
constexpr int secondsPerHour = 3600;
constexpr int secondsPerMinute = 60;
constexpr int tenthsPerSecond = 10;

// The Gregorian calendar repeats every 400 years; counting years from March
// puts the leap day at the end of each.
constexpr int64_t daysPer400Years = 146097;
constexpr int64_t daysFromMarch0000To1970 = 719468;

// Quoted as RFC 4180 wants, and only when it must be, so that plain fields
// stay plain for scripts. Names from the system may be in any encoding; the
// file stays UTF-8, with such bytes as the console shows them.
std::string Field(const std::string& given) {
  const std::string text = ValidUtf8Text(given);
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// One decimal with '.', whatever the locale: printf's %f would follow it.
std::string Tenths(double seconds) {
  const long long tenths = std::llround(seconds * tenthsPerSecond);
  return std::to_string(tenths / tenthsPerSecond) + "." + std::to_string(tenths % tenthsPerSecond);
}

// The civil date of a day count since 1970-01-01 (proleptic Gregorian), so
// that no thread-unsafe gmtime is needed.
void CivilDate(int64_t days, int* year, int* month, int* day) {
  days += daysFromMarch0000To1970;
  const int64_t era = (days >= 0 ? days : days - (daysPer400Years - 1)) / daysPer400Years;
  const int64_t dayOfEra = days - era * daysPer400Years;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // March is 0
  *day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  *month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

}  // namespace

std::vector<RecordField> RecordFields(const JobRecord& r) {
  return {
      {"time", UtcTimestamp(r.startSeconds)},
      {"station", r.station},
      {"port", r.port},
      {"job", r.job},
      {"outcome", r.outcome},
      {"exit", std::to_string(r.exitStatus)},
      {"seconds", Tenths(r.seconds)},
      {"pages_written", std::to_string(r.pagesWritten)},
      {"pages_verified", std::to_string(r.pagesVerified)},
      {"firmware_sha256", r.firmwareSha256},
      {"coefficients_file", r.coefficientsFile},
      {"coefficients_sha256", r.coefficientsSha256},
      {"version", r.version},
      {"last_line", r.lastLine},
      {"failure", r.failure},
      {"firmware_release", r.firmwareRelease},
  };
}

std::string RecordHeader() {
  const std::vector<RecordField> fields = RecordFields(JobRecord{});
  std::string header = byteOrderMark;
  for (size_t i = 0; i < fields.size(); ++i) header += (i > 0 ? ";" : "") + std::string(fields[i].column);
  return header + lineEnd;
}

std::string FormatRecordRow(const JobRecord& r) {
  const std::vector<RecordField> fields = RecordFields(r);
  std::string row;
  for (size_t i = 0; i < fields.size(); ++i) row += (i > 0 ? ";" : "") + Field(fields[i].text);
  return row + lineEnd;
}

std::string UtcTimestamp(int64_t secondsSince1970) {
  const int64_t days =
      (secondsSince1970 >= 0 ? secondsSince1970 : secondsSince1970 - (secondsPerDay - 1)) /
      secondsPerDay;
  const int64_t secondOfDay = secondsSince1970 - days * secondsPerDay;
  int year = 0, month = 0, day = 0;
  CivilDate(days, &year, &month, &day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", year, month, day,
                static_cast<int>(secondOfDay / secondsPerHour),
                static_cast<int>(secondOfDay / secondsPerMinute % secondsPerMinute),
                static_cast<int>(secondOfDay % secondsPerMinute));
  return text;
}

int64_t SecondsSince1970() {
  using namespace std::chrono;
  return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}
