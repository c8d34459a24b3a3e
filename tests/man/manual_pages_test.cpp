// The built manual pages against the programs: a generated page says all
// that the program's --help says, every page names each option and VELT_
// variable the program's sources read, and groff formats every page without
// a warning.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/file_text.h"

namespace {

struct PageCase {
  const char* name;
  const char* program;  // whose --help made the page; null for a hand-written page
  const char* page;
  std::vector<std::string> optionFolders;    // where the program's options are parsed
  std::vector<std::string> variableFolders;  // where it reads VELT_ variables
};

// velt-flash's options reach its page through --help, which its own tests
// hold to its argument table.
const PageCase pages[] = {
    {"velt-flash", VELT_FLASH_PROGRAM, VELT_MAN_DIR "/velt-flash.1", {}, {"cli", "link"}},
    {"velt-sim", VELT_SIM_PROGRAM, VELT_MAN_DIR "/velt-sim.1", {"sim"}, {"sim"}},
#ifdef VELT_LOADER_PAGE
    {"velt-loader", nullptr, VELT_LOADER_PAGE, {"app"}, {"app", "link"}},
#endif
};

struct CommandRun {
  int status = -1;
  std::string out;
};

CommandRun RunCommand(const std::string& command) {
  CommandRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The page as a reader sees it, in plain text.
std::string Rendered(const std::string& page) {
  const CommandRun run = RunCommand("groff -k -man -Tutf8 -P-cbou '" + page + "' 2>/dev/null");
  EXPECT_EQ(run.status, 0) << "groff on " << page;
  return run.out;
}

// Line breaks fall anywhere in the formatted text (after a hyphen, too):
// compared without any white space.
std::string WithoutSpace(const std::string& text) {
  std::string kept;
  for (char c : text) {
    if (c != ' ' && c != '\n' && c != '\t') kept += c;
  }
  return kept;
}

// What a help line says, without its layout: the runs of text between gaps
// of two spaces or more. Headings are left out, since the page spells them
// in capitals.
std::vector<std::string> Phrases(const std::string& help) {
  std::vector<std::string> phrases;
  std::istringstream in(help);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || (line[0] != ' ' && line.back() == ':')) continue;
    std::istringstream words(std::regex_replace(line, std::regex("  +"), "\n"));
    for (std::string phrase; std::getline(words, phrase);) {
      if (phrase.find_first_not_of(' ') != std::string::npos) phrases.push_back(phrase);
    }
  }
  return phrases;
}

// The names matching `pattern` that the sources spell at the start of a
// string literal.
std::set<std::string> NamesIn(const std::vector<std::string>& folders, const char* pattern) {
  const std::regex literal(std::string("\"(") + pattern + ")");
  std::set<std::string> names;
  for (const std::string& folder : folders) {
    for (const auto& entry : std::filesystem::directory_iterator(VELT_SOURCE_DIR "/" + folder)) {
      const std::string text = FileText(entry.path().string());
      for (std::sregex_iterator match(text.begin(), text.end(), literal), end; match != end;
           ++match) {
        names.insert((*match)[1]);
      }
    }
  }
  return names;
}

TEST(ManualPages, SayAllThatTheHelpSays) {
  for (const PageCase& c : pages) {
    if (c.program == nullptr) continue;
    const CommandRun help = RunCommand(std::string(c.program) + " --help");
    const CommandRun version = RunCommand(std::string(c.program) + " --version");
    ASSERT_EQ(help.status, 0) << c.name;
    ASSERT_EQ(version.status, 0) << c.name;
    const std::string page = WithoutSpace(Rendered(c.page));
    const std::vector<std::string> phrases = Phrases(help.out);
    EXPECT_GT(phrases.size(), 10u) << c.name << ": " << help.out;
    for (const std::string& phrase : phrases) {
      EXPECT_NE(page.find(WithoutSpace(phrase)), std::string::npos)
          << c.name << "'s page lacks \"" << phrase << "\"";
    }
    // The page names the version its first line gives.
    const std::string versionLine = version.out.substr(0, version.out.find('\n'));
    EXPECT_NE(page.find(WithoutSpace(versionLine)), std::string::npos) << c.name;
  }
}

TEST(ManualPages, NameEveryOptionAndVariableTheProgramReads) {
  for (const PageCase& c : pages) {
    const std::string page = Rendered(c.page);
    std::set<std::string> names = NamesIn(c.optionFolders, "--?[A-Za-z][A-Za-z0-9-]*");
    // VELT_COM1 is spelled once and its digit replaced: the page says VELT_COMk.
    for (const std::string& variable : NamesIn(c.variableFolders, "VELT_[A-Z_]+")) {
      names.insert(variable);
    }
    EXPECT_FALSE(names.empty()) << c.name;
    for (const std::string& name : names) {
      EXPECT_TRUE(std::regex_search(page, std::regex("(^|[^-A-Za-z0-9_])" + name)))
          << c.name << "'s page does not name " << name;
    }
  }
}

TEST(ManualPages, FormatWithoutWarnings) {
  for (const PageCase& c : pages) {
    const CommandRun run =
        RunCommand("groff -k -man -Tutf8 -ww -z '" + std::string(c.page) + "' 2>&1");
    EXPECT_EQ(run.status, 0) << c.name;
    EXPECT_EQ(run.out, "") << c.name;
  }
}

}  // namespace
