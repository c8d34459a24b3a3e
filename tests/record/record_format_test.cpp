// The job record's pieces on their own: the digest against the standard's
// test vectors, the row as a spreadsheet reads it, the time stamps.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "record/job_record.h"
#include "record/sha256.h"

namespace {

using ::testing::HasSubstr;

TEST(Sha256, GivesTheStandardTestVectors) {
  const struct {
    std::string message;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.message.data());
    EXPECT_EQ(Sha256Hex(bytes, c.message.size()), c.digest) << c.message.size() << " bytes";
  }
}

JobRecord Sample() {
  JobRecord record;
  record.startSeconds = 1796783353;
  record.station = "stand-3";
  record.port = "ttyUSB3";
  record.job = "write";
  record.outcome = "started";
  record.exitStatus = 0;
  record.seconds = 4.26;
  record.pagesWritten = 2;
  record.pagesVerified = 2;
  record.firmwareSha256 = "ab";
  record.coefficientsFile = "Поверка/ВЕЛТ №3.koeff";
  record.coefficientsSha256 = "cd";
  record.version = "0.2.0";
  record.lastLine = "Запуск.";
  return record;
}

TEST(JobRecordRow, FieldsComeInTheHeadersOrderAndEndWithCrLf) {
  EXPECT_EQ(RecordHeader(),
            "\xEF\xBB\xBFtime;station;port;job;outcome;exit;seconds;pages_written;pages_verified;"
            "firmware_sha256;coefficients_file;coefficients_sha256;version;last_line;failure;"
            "firmware_release\r\n");
  EXPECT_EQ(FormatRecordRow(Sample()),
            "2026-12-09T02:29:13Z;stand-3;ttyUSB3;write;started;0;4.3;2;2;ab;"
            "Поверка/ВЕЛТ №3.koeff;cd;0.2.0;Запуск.;;\r\n");
  JobRecord released = Sample();
  released.firmwareRelease = "Выпуск 7";
  EXPECT_THAT(FormatRecordRow(released), ::testing::EndsWith(";Запуск.;;Выпуск 7\r\n"))
      << "the set's release line, last";
}

TEST(JobRecordRow, FieldsAreQuotedOnlyWhenTheyMustBe) {
  const struct {
    const char* file;
    const char* field;
  } cases[] = {
      {"plain name.koeff", "plain name.koeff"},
      {"a;b.koeff", "\"a;b.koeff\""},
      {"say \"hi\".koeff", "\"say \"\"hi\"\".koeff\""},
      {"line\nbreak", "\"line\nbreak\""},
      {"carriage\rreturn", "\"carriage\rreturn\""},
      {"", ""},
  };
  for (const auto& c : cases) {
    JobRecord record = Sample();
    record.coefficientsFile = c.file;
    EXPECT_THAT(FormatRecordRow(record), HasSubstr(std::string(";") + c.field + ";cd;"));
  }
}

// The file promises UTF-8; names from the system may be in any encoding.
TEST(JobRecordRow, BytesThatAreNotUtf8AreWrittenAsTheConsoleShowsThem) {
  const struct {
    const char* port;
    const char* field;
  } cases[] = {
      {"ttyUSB\xFF", "ttyUSB\\xFF"},
      {"\xD0", "\\xD0"},                         // a sequence cut short
      {"\xC0\xAF", "\\xC0\\xAF"},                 // an overlong '/'
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},          // a surrogate
      {"Порт №1", "Порт №1"},
      {"tab\there", "tab\there"},                 // controls are the quoting's business
      {"cp1251 \xCF\xEE\xF0\xF2;", "\"cp1251 \\xCF\\xEE\\xF0\\xF2;\""},
  };
  for (const auto& c : cases) {
    JobRecord record = Sample();
    record.port = c.port;
    EXPECT_THAT(FormatRecordRow(record), HasSubstr(std::string(";") + c.field + ";write;"))
        << c.field;
  }
}

TEST(JobRecordRow, SecondsHaveOneDecimalWithAPoint) {
  const struct {
    double seconds;
    const char* text;
  } cases[] = {{0, "0.0"}, {0.04, "0.0"}, {0.05, "0.1"}, {4.26, "4.3"}, {61.95, "62.0"}, {125, "125.0"}};
  for (const auto& c : cases) {
    JobRecord record = Sample();
    record.seconds = c.seconds;
    EXPECT_THAT(FormatRecordRow(record), HasSubstr(std::string(";0;") + c.text + ";2;2;"))
        << c.seconds;
  }
}

TEST(UtcTimestamp, CountsDaysAcrossLeapYearsAndCenturies) {
  const struct {
    int64_t seconds;
    const char* text;
  } cases[] = {
      {0, "1970-01-01T00:00:00Z"},
      {951782400, "2000-02-29T00:00:00Z"},
      {951868799, "2000-02-29T23:59:59Z"},
      {951868800, "2000-03-01T00:00:00Z"},
      {1709251199, "2024-02-29T23:59:59Z"},
      {4107542400, "2100-03-01T00:00:00Z"},
      {-1, "1969-12-31T23:59:59Z"},
  };
  for (const auto& c : cases) EXPECT_EQ(UtcTimestamp(c.seconds), c.text) << c.seconds;
}

}  // namespace
