// The pieces of running a program as a child that every process test needs.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

// `program` and `arguments` as execv takes them; it points into both, which
// must outlive it.
inline std::vector<char*> Argv(const char* program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv = {const_cast<char*>(program)};
  for (const std::string& word : arguments) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  return argv;
}

// Everything `fd` gives until its end, or EIO once a pty's other side has gone.
inline std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      text.append(buffer, static_cast<size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      return text;
    }
  }
}
