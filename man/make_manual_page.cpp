// make_manual_page: writes a program's manual page from what the program
// itself prints for --help and --version, at build time.
//   make_manual_page PROGRAM SUMMARY DATE SECTIONS OUTPUT
// SECTIONS is a file of hand-written sections appended to the page.
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "man/manual_page.h"

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
constexpr int argumentCount = 6;

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// The program's stdout for one option; false unless it ran and exited 0.
bool RunProgram(const std::string& program, const char* option, std::string* output) {
  FILE* pipe = popen((ShellQuoted(program) + " " + option).c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output->append(buffer, n);
  const int status = pclose(pipe);
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  *text = content.str();
  return true;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != argumentCount) {
    std::fprintf(stderr, "usage: make_manual_page PROGRAM SUMMARY DATE SECTIONS OUTPUT\n");
    return exitUsage;
  }
  const std::string program = argv[1];
  ManualPageHeader header{BaseName(program), argv[2], "", argv[3]};
  std::string help;
  std::string version;
  std::string sections;
  if (!RunProgram(program, "--help", &help) || !RunProgram(program, "--version", &version)) {
    std::fprintf(stderr, "make_manual_page: %s --help or --version failed\n", program.c_str());
    return exitFailure;
  }
  header.versionLine = version.substr(0, version.find('\n'));
  if (!ReadFile(argv[4], &sections)) {
    std::fprintf(stderr, "make_manual_page: cannot read %s\n", argv[4]);
    return exitFailure;
  }
  std::ofstream out(argv[5], std::ios::binary);
  out << ManualPageFromHelp(header, help, sections);
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_manual_page: cannot write %s\n", argv[5]);
    return exitFailure;
  }
  return 0;
}
