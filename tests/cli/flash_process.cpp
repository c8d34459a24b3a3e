#include "tests/cli/flash_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <regex>
#include <thread>

#include "tests/support/image_bytes.h"
#include "tests/support/process_child.h"

namespace {

// A file that vanishes once closed, for one of the child's outputs.
int TemporaryFile() {
  char pattern[] = "/tmp/velt-flash-out-XXXXXX";
  const int fd = mkstemp(pattern);
  if (fd >= 0) unlink(pattern);
  return fd;
}

std::string Rewound(int fd) {
  lseek(fd, 0, SEEK_SET);
  std::string text = ReadAll(fd);
  close(fd);
  return text;
}

// Everything is prepared before fork: the simulator's thread runs in this
// process, so the child may only call what is safe after a fork.
// `dropped` names variables of this process the child does not inherit.
pid_t Start(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
            int outFd, int errFd, const std::vector<std::string>& dropped = {}) {
  std::vector<char*> argv = Argv(VELT_FLASH_PROGRAM, arguments);
  std::vector<char*> envp;
  // The first of two equal names wins, so the test's entries go first.
  for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
  for (char** entry = environ; *entry != nullptr; ++entry) {
    bool drop = false;
    for (const std::string& name : dropped) {
      drop = drop || std::strncmp(*entry, (name + "=").c_str(), name.size() + 1) == 0;
    }
    if (!drop) envp.push_back(*entry);
  }
  envp.push_back(nullptr);

  const pid_t child = fork();
  if (child != 0) return child;
  dup2(outFd, STDOUT_FILENO);
  dup2(errFd, STDERR_FILENO);
  execve(VELT_FLASH_PROGRAM, argv.data(), envp.data());
  _exit(127);
}

int Wait(pid_t child) {
  int wstatus = 0;
  while (waitpid(child, &wstatus, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

FlashRun Finish(pid_t child, int outFd, int errFd) {
  FlashRun run;
  run.status = Wait(child);
  run.out = Rewound(outFd);
  run.err = Rewound(errFd);
  return run;
}

}  // namespace

FlashRun RunFlash(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment) {
  const int outFd = TemporaryFile();
  const int errFd = TemporaryFile();
  return Finish(Start(arguments, environment, outFd, errFd), outFd, errFd);
}

FlashRun RunFlashOnTerminal(const std::vector<std::string>& arguments, bool errorsToTerminal) {
  TerminalRun terminal;
  terminal.errorsToTerminal = errorsToTerminal;
  return RunFlashOnTerminal(arguments, terminal);
}

FlashRun RunFlashOnTerminal(const std::vector<std::string>& arguments,
                            const TerminalRun& terminal) {
  FlashRun run;
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return run;
  winsize size = {};
  size.ws_col = static_cast<unsigned short>(terminal.columns);
  size.ws_row = static_cast<unsigned short>(terminal.rows);
  if (terminal.columns > 0) ioctl(master, TIOCSWINSZ, &size);
  const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
  const int errFd = TemporaryFile();
  // What the machine's own terminal says of colour is not the test's business.
  std::vector<std::string> environment = terminal.environment;
  environment.push_back("TERM=xterm");
  const pid_t child = Start(arguments, environment, slave,
                            terminal.errorsToTerminal ? slave : errFd, {"NO_COLOR", "TERM"});
  close(slave);
  // Drained while the child runs: a full pty would stop it.
  std::thread reader([&] { run.out = ReadAll(master); });
  if (terminal.resizeAfterMilliseconds > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(terminal.resizeAfterMilliseconds));
    size.ws_col = static_cast<unsigned short>(terminal.resizeColumns);
    ioctl(master, TIOCSWINSZ, &size);
    kill(child, SIGWINCH);  // the kernel would send it to the terminal's foreground group
  }
  run.status = Wait(child);
  reader.join();
  close(master);
  run.err = Rewound(errFd);
  return run;
}

FlashRun RunFlashAndInterrupt(const std::vector<std::string>& arguments, int delayMilliseconds,
                              int signal) {
  return RunFlashAndMeanwhile(arguments, delayMilliseconds,
                              [signal](pid_t child) { kill(child, signal); });
}

FlashRun RunFlashAndMeanwhile(const std::vector<std::string>& arguments, int delayMilliseconds,
                              const std::function<void(pid_t)>& meanwhile) {
  const int outFd = TemporaryFile();
  const int errFd = TemporaryFile();
  const pid_t child = Start(arguments, {}, outFd, errFd);
  std::this_thread::sleep_for(std::chrono::milliseconds(delayMilliseconds));
  meanwhile(child);
  return Finish(child, outFd, errFd);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> DrawnPieces(const std::string& output) {
  const std::string text = std::regex_replace(output, std::regex("\x1b\\[[0-9;]*[A-Za-z]"), "");
  std::vector<std::string> pieces(1);
  for (char byte : text) {
    if (byte == '\r' || byte == '\n') pieces.emplace_back();
    else pieces.back() += byte;
  }
  return pieces;
}

void ExpectTablesInMemory(const Simulator& device, const FirmwareTables& tables) {
  for (int c = 0; c < controllerCount; ++c) {
    const uint32_t end = controllerLayouts[c].firmwareEnd;
    EXPECT_EQ(MemoryBytesAtImage(device.Memory(c + 1), *tables[c], firmwareBase, end,
                                 firmwareBase),
              ImageBytes(*tables[c], firmwareBase, end, firmwareBase))
        << "controller " << c + 1;
  }
}
