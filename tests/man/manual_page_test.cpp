// The help text's layout read into a manual page: what each kind of line
// becomes, and the escaping that keeps text from reading as roff requests.
#include "man/manual_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using ::testing::HasSubstr;

std::string Body(const std::string& help) {
  const std::string page = ManualPageFromHelp({"prog", "does things", "prog 1.0", "2026-01-02"},
                                              help, "");
  const std::string nameLine = "prog \\- does things\n";
  return page.substr(page.find(nameLine) + nameLine.size());
}

struct LayoutCase {
  const char* what;
  const char* help;
  const char* body;  // the whole body the help text makes
};

TEST(ManualPageLayout, EachKindOfLineBecomesItsMarkup) {
  const LayoutCase cases[] = {
      {"the usage heading is the synopsis, the others are upper-cased",
       "Использование:\n  prog run  runs\n\nПараметры и ёж:\n  --all  every one\n",
       ".SH \"ОБЗОР\"\n.TP\n\\fBprog\\fR \\fBrun\\fR\nruns\n"
       ".SH \"ПАРАМЕТРЫ И ЁЖ\"\n.TP\n\\fB\\-\\-all\\fR\nevery one\n"},
      {"deeper lines carry an entry's text on; a line at the term column is a new entry",
       "Параметры:\n  --a  first\n       more\n  --b\n  --long-option-name\n       text below\n",
       ".SH \"ПАРАМЕТРЫ\"\n.TP\n\\fB\\-\\-a\\fR\nfirst\nmore\n.TP\n\\fB\\-\\-b\\fR\n"
       ".TP\n\\fB\\-\\-long\\-option\\-name\\fR\ntext below\n"},
      {"one space does not part a term from its text",
       "Коды:\n  0 ok  done\n", ".SH \"КОДЫ\"\n.TP\n0 \\fBok\\fR\ndone\n"},
      {"prose after the synopsis opens the description once",
       "Использование:\n  prog\n\nFirst line\nsecond line.\n\nAgain.\n",
       ".SH \"ОБЗОР\"\n.TP\n\\fBprog\\fR\n.SH \"ОПИСАНИЕ\"\n.PP\nFirst line\nsecond line.\n"
       ".PP\nAgain.\n"},
      {"prose before any heading is the description",
       "Does things.\n", ".SH \"ОПИСАНИЕ\"\n.PP\nDoes things.\n"},
      {"a list before any heading is the description too",
       "  -x  ex\n", ".SH \"ОПИСАНИЕ\"\n.TP\n\\fB\\-x\\fR\nex\n"},
      {"a line ending in ':' inside prose is prose, not a heading",
       "Notes:\nsee below:\n  indented goes on\n",
       ".SH \"NOTES\"\n.PP\nsee below:\nindented goes on\n"},
      {"a hanging paragraph ends at the next unindented line",
       "Notes:\nPORT: a name\n      or a path.\nNext item.\n",
       ".SH \"NOTES\"\n.PP\nPORT: a name\nor a path.\n.PP\nNext item.\n"},
      {"a line that opens with 'word:' is a new paragraph",
       "Notes:\nplain text\nverify: 0 ok\n", ".SH \"NOTES\"\n.PP\nplain text\n.PP\nverify: 0 ok\n"},
      {"trailing blanks and CR are not text", "Notes:  \r\n  --a  x \r\n",
       ".SH \"NOTES\"\n.TP\n\\fB\\-\\-a\\fR\nx\n"},
      {"prose after a list under the same heading stays in that section",
       "Коды завершения:\n  0  ok\n\nverify reads only.\n",
       ".SH \"КОДЫ ЗАВЕРШЕНИЯ\"\n.TP\n0\nok\n.PP\nverify reads only.\n"},
  };
  for (const LayoutCase& c : cases) {
    EXPECT_EQ(Body(c.help), c.body) << c.what;
  }
}

struct TextCase {
  const char* input;
  const char* output;
};

TEST(ManualPageText, EscapeKeepsTextFromReadingAsRequests) {
  const TextCase cases[] = {
      {"--port", "\\-\\-port"},
      {"\\\\.\\COM12", "\\e\\e.\\eCOM12"},
      {".koeff is the extension", "\\&.koeff is the extension"},
      {"'quoted' first", "\\&'quoted' first"},
      {"a.b 'c'", "a.b 'c'"},
      {"", ""},
  };
  for (const TextCase& c : cases) EXPECT_EQ(EscapeRoff(c.input), c.output) << c.input;
}

TEST(ManualPageText, UpperCaseCoversLatinAndCyrillic) {
  const TextCase cases[] = {
      {"exit codes", "EXIT CODES"},
      {"абвгдежзийклмноп", "АБВГДЕЖЗИЙКЛМНОП"},
      {"рстуфхцчшщъыьэюя", "РСТУФХЦЧШЩЪЫЬЭЮЯ"},
      {"ёлка Ёж", "ЁЛКА ЁЖ"},
      {"УЖЕ ЗАГЛАВНЫЕ", "УЖЕ ЗАГЛАВНЫЕ"},
      {"коды 0-9, (a)", "КОДЫ 0-9, (A)"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(UpperCase(c.input), c.output) << c.input;
}

TEST(ManualPageText, TermFontsShowLiteralsAndPlaceholders) {
  const TextCase cases[] = {
      {"--trace", "\\fB\\-\\-trace\\fR"},
      {"-p, --port ПОРТ", "\\fB\\-p\\fR, \\fB\\-\\-port\\fR \\fIПОРТ\\fR"},
      {"write ФАЙЛ.koeff", "\\fBwrite\\fR \\fIФАЙЛ.koeff\\fR"},
      {"[--force]", "[\\fB\\-\\-force\\fR]"},
      {"[ПАРАМЕТРЫ]", "[\\fIПАРАМЕТРЫ\\fR]"},
      {"--help | --version", "\\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR"},
      {"--color=КОГДА", "\\fB\\-\\-color\\fR=\\fIКОГДА\\fR"},
      {"--baud N", "\\fB\\-\\-baud\\fR \\fIN\\fR"},
      {"130", "130"},
      {"(x)", "(\\fBx\\fR)"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(FormatTerm(c.input), c.output) << c.input;
}

TEST(ManualPageHeader, NamesTheProgramItsVersionAndDateAndEndsWithTheExtraSections) {
  const std::string page = ManualPageFromHelp(
      {"velt-sim", "simulates", "velt-sim 0.2.0", "2026-12-09"}, "Notes:\ntext\n",
      ".SH \"EXTRA\"\nhand-written\n");
  EXPECT_THAT(page, HasSubstr("\n.TH VELT-SIM 1 2026-12-09 \"velt-sim 0.2.0\" "
                              "\"Команды пользователя\"\n"));
  EXPECT_THAT(page, HasSubstr("\n.SH \"ИМЯ\"\nvelt\\-sim \\- simulates\n.SH \"NOTES\"\n"));
  EXPECT_THAT(page, ::testing::EndsWith(".PP\ntext\n.SH \"EXTRA\"\nhand-written\n"));
}

}  // namespace
