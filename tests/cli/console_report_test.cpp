#include <cstdio>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/console_report.h"
#include "loader/report.h"
#include "tests/support/stream_text.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class ConsoleReport : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(stream, nullptr); }
  void TearDown() override { std::fclose(stream); }

  std::string Output() { return StreamText(stream); }

  // A short run: two pages written and verified between the log lines.
  void Run(bool terminal) {
    ConsoleReporter reporter({stream, terminal, terminal, 2, 2, false, {}});
    reporter.Attach(&sinks);
    sinks.log(LineKind::progress, "Запись коэффициентов.");
    sinks.page(PageWork::written, 0x7000);
    sinks.page(PageWork::written, 0x7040);
    sinks.log(LineKind::progress, "Проверка.");
    sinks.page(PageWork::verified, 0x7000);
    sinks.log(LineKind::failure, "Ошибка!!!.");
    reporter.End();
  }

  ReportSinks sinks;

  std::FILE* stream = std::tmpfile();
};

TEST_F(ConsoleReport, PrintsPlainLinesWhenNotATerminal) {
  Run(false);
  EXPECT_EQ(Output(), "Запись коэффициентов.\nПроверка.\nОшибка!!!.\n");
}

TEST_F(ConsoleReport, ColoursLinesAndUpdatesProgressInPlaceOnATerminal) {
  Run(true);
  const std::string erase = "\r\x1b[K";
  const std::string expected =
      "\x1b[34mЗапись коэффициентов.\x1b[0m\n" +
      erase + "записано страниц: 1 из 2, проверено: 0 из 2, 25 %, 0 с" +
      erase + "записано страниц: 2 из 2, проверено: 0 из 2, 50 %, 0 с" +
      erase + "\x1b[34mПроверка.\x1b[0m\n" +
      erase + "записано страниц: 2 из 2, проверено: 1 из 2, 75 %, 0 с" +
      erase + "\x1b[31mОшибка!!!.\x1b[0m\n";
  EXPECT_EQ(Output(), expected);
}

TEST_F(ConsoleReport, EndingClearsTheProgressLineAndRemovesTheSinks) {
  ConsoleReporter reporter({stream, true, true, 1, 1, false, {}});
  reporter.Attach(&sinks);
  sinks.page(PageWork::written, 0x2000);
  reporter.End();
  EXPECT_FALSE(sinks.log) << "the sinks are emptied";
  EXPECT_FALSE(sinks.page);
  const std::string output = Output();
  EXPECT_EQ(output.substr(output.size() - 4), "\r\x1b[K") << "the progress line is wiped";
}

// NO_COLOR, TERM=dumb or --color=never on a terminal: the progress line is
// overwritten with spaces, never erased by an escape.
TEST_F(ConsoleReport, WithoutColourTheProgressLineIsBlankedWithSpaces) {
  ConsoleReporter reporter({stream, false, true, 2, 0, false, [] { return 40; }});
  reporter.Attach(&sinks);
  sinks.page(PageWork::written, 0x7000);
  sinks.page(PageWork::written, 0x7040);
  sinks.log(LineKind::progress, "Коэффициенты прошились.");
  reporter.End();
  const std::string first = "записано страниц: 1 из 2, проверено: 0 из 0, 50 %, 0 с";
  const std::string output = Output();
  EXPECT_THAT(output, Not(HasSubstr("\x1b")));
  // At 40 columns the long form does not fit; each line covers the last.
  const std::string shortForm = "запись 1/2, проверка 0/0, 50 %, 0 с";
  const std::string done = "запись 2/2, проверка 0/0, 100 %, 0 с";
  EXPECT_EQ(output, "\r" + shortForm + "\r" + done + "\r" + std::string(36, ' ') + "\r" +
                        "Коэффициенты прошились.\n");
  EXPECT_THAT(output, Not(HasSubstr(first)));
}

}  // namespace
