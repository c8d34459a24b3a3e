// velt-sim as a separate process, the way scripts and the other programs'
// end-to-end tests use it.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "link/boot_link.h"
#include "link/com_port.h"
#include "firmware/firmware_set.h"
#include "sim/sim_types.h"
#include "tests/firmware/odd_set.h"
#include "tests/sim/sim_frames.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/file_text.h"
#include "tests/support/process_child.h"

namespace {

using ::testing::HasSubstr;

constexpr int exitUsage = 2;

struct Child {
  pid_t pid = -1;
  int output = -1;  // its stdout
};

// With withErrors the child's stderr goes into the same pipe as its stdout.
Child Spawn(const std::vector<std::string>& args, bool withErrors = false) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const std::vector<char*> argv = Argv(VELT_SIM_BINARY, args);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    const int errors = withErrors ? pipeFds[1] : open("/dev/null", O_WRONLY);
    dup2(errors, STDERR_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    execv(VELT_SIM_BINARY, argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  return {pid, pipeFds[0]};
}

std::string ReadLine(int fd) {
  std::string line;
  char c;
  while (read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

int WaitExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1000;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

class VeltSimProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder.Ok()); }
  void TearDown() override {
    if (child.pid > 0 && waitpid(child.pid, nullptr, WNOHANG) == 0) {
      kill(child.pid, SIGKILL);
      waitpid(child.pid, nullptr, 0);
    }
    if (child.output >= 0) close(child.output);
  }
  Child child;
  TemporaryFolder folder{"velt-sim-test"};
  const std::string directory = folder.Path();
};

TEST_F(VeltSimProcessTest, ServesThroughItsLinkAndDumpsOnSigterm) {
  const std::string linkPath = directory + "/com1";
  const std::string dumpPath = directory + "/dump";
  child = Spawn({"--baud", "0", "--link", linkPath, "--dump", dumpPath, "--fill", "0x00"});
  const std::string devicePath = ReadLine(child.output);
  ASSERT_EQ(devicePath.rfind("/dev/pts/", 0), 0u) << devicePath;
  char target[256] = {};
  ASSERT_GT(readlink(linkPath.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(devicePath, target);

  // The way the programs find it: port digit 1 mapped through VELT_COM1.
  setenv("VELT_COM1", linkPath.c_str(), 1);
  const std::vector<uint8_t> page = CountingPage(0x30);
  {
    ComPort port;
    ASSERT_EQ(port.Open('1'), 0);
    BootLink link(&port);
    link.SelectController3();
    ASSERT_EQ(link.Sync(), 0);
    ASSERT_EQ(link.ErasePage(0x2000), 0);
    ASSERT_EQ(link.WritePage(0x2000, page.data()), 0);
  }
  unsetenv("VELT_COM1");

  ASSERT_EQ(kill(child.pid, SIGTERM), 0);
  EXPECT_EQ(WaitExit(child.pid), 0);
  EXPECT_FALSE(Exists(linkPath)) << "the link is removed at exit";

  const std::string memory3 = FileText(dumpPath + "/controller3.bin");
  ASSERT_EQ(memory3.size(), simMemorySize);
  EXPECT_EQ(std::vector<uint8_t>(memory3.begin() + 0x2000, memory3.begin() + 0x2040), page);
  EXPECT_EQ(memory3[0x2040], 0x00) << "--fill reached the device";
  for (const char* name : {"/controller1.bin", "/controller2.bin"}) {
    EXPECT_EQ(FileText(dumpPath + name), std::string(simMemorySize, '\0')) << name;
  }
  const std::string transcript = FileText(dumpPath + "/transcript.txt");
  EXPECT_THAT(transcript, HasSubstr("controller 3 command 0 query"));
  EXPECT_THAT(transcript, HasSubstr("command 2 write address 0x002000 data 64: 30 31"));
  EXPECT_THAT(FileText(dumpPath + "/frames.txt"), HasSubstr(" write 1 erase 1 control 0 null 0 "));
}

// Every byte: the set's pages whole, the fill elsewhere (coefficients too).
TEST_F(VeltSimProcessTest, MemoryOptionStartsTheDeviceHoldingASet) {
  const SetBytes bytes = OddSetBytes();
  for (int k = 0; k < controllerCount; ++k) folder.Write(firmwareSetFiles[k], HexText(bytes[k]));
  const std::string dumpPath = directory + "/dump";
  child = Spawn({"--baud", "0", "--memory", directory, "--fill", "0x00", "--dump", dumpPath});
  ASSERT_EQ(ReadLine(child.output).rfind("/dev/pts/", 0), 0u);
  ASSERT_EQ(kill(child.pid, SIGTERM), 0);
  EXPECT_EQ(WaitExit(child.pid), 0);
  for (int k = 0; k < controllerCount; ++k) {
    const std::vector<uint8_t> expected = MemoryHolding(bytes[k], 0x00);
    EXPECT_EQ(FileText(dumpPath + "/controller" + std::to_string(k + 1) + ".bin"),
              std::string(expected.begin(), expected.end()))
        << "controller " << k + 1;
  }
}

TEST_F(VeltSimProcessTest, FaultOptionReachesTheDeviceAndSigintStopsIt) {
  child = Spawn({"--baud", "0", "--echo-only"});
  const std::string devicePath = ReadLine(child.output);
  ComPort port;
  ASSERT_EQ(port.OpenDevice(devicePath.c_str()), 0) << devicePath;
  BootLink link(&port);
  EXPECT_EQ(link.Sync(), syncEchoOnly);
  port.Close();
  ASSERT_EQ(kill(child.pid, SIGINT), 0);
  EXPECT_EQ(WaitExit(child.pid), 0);
}

TEST_F(VeltSimProcessTest, RefusesToReplaceAFileThatIsNotItsLink) {
  const std::string linkPath = folder.Write("precious", "keep me");
  child = Spawn({"--link", linkPath});
  EXPECT_EQ(WaitExit(child.pid), 1);
  EXPECT_EQ(FileText(linkPath), "keep me");
}

std::vector<std::string> ReadLines(int fd, int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(ReadLine(fd));
  return lines;
}

// Talks to the device behind `path` as the programs do; returns Sync's verdict.
int SyncThrough(const std::string& path, uint32_t writeAddress = 0, const std::vector<uint8_t>& page = {}) {
  ComPort port;
  if (port.OpenDevice(path.c_str()) != 0) return -1000;
  BootLink link(&port);
  link.SelectController3();
  const int verdict = link.Sync();
  if (verdict == 0 && !page.empty()) {
    if (link.ErasePage(writeAddress) != 0 || link.WritePage(writeAddress, page.data()) != 0) return -1001;
  }
  return verdict;
}

TEST_F(VeltSimProcessTest, StationServesEachDeviceThroughItsLinkWithItsOwnFaultsAndDump) {
  const std::string links = directory + "/station";  // made by velt-sim, and removed
  const std::string dumpPath = directory + "/dump";
  child = Spawn({"--baud", "0", "--devices", "3", "--link", links, "--dump", dumpPath,
                 "--device", "2", "--echo-only", "--device", "3", "--fill", "0x00"});
  const std::vector<std::string> paths = ReadLines(child.output, 3);
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(paths[k].rfind("/dev/pts/", 0), 0u) << paths[k];
    char target[256] = {};
    const std::string link = links + "/dev" + std::to_string(k + 1);
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0) << link;
    EXPECT_EQ(paths[k], target);
  }
  EXPECT_NE(paths[0], paths[1]);

  const std::vector<uint8_t> page = CountingPage(0x30);
  EXPECT_EQ(SyncThrough(links + "/dev1", 0x2000, page), 0);
  EXPECT_EQ(SyncThrough(links + "/dev2"), syncEchoOnly);
  EXPECT_EQ(SyncThrough(links + "/dev3"), 0);

  ASSERT_EQ(kill(child.pid, SIGTERM), 0);
  EXPECT_EQ(WaitExit(child.pid), 0);
  EXPECT_FALSE(Exists(links)) << "the folder it made goes with its links";

  const std::string memory1 = FileText(dumpPath + "/dev1/controller3.bin");
  ASSERT_EQ(memory1.size(), simMemorySize);
  EXPECT_EQ(std::vector<uint8_t>(memory1.begin() + 0x2000, memory1.begin() + 0x2040), page);
  EXPECT_EQ(FileText(dumpPath + "/dev2/controller3.bin"), std::string(simMemorySize, '\xff'));
  EXPECT_EQ(FileText(dumpPath + "/dev3/controller3.bin"), std::string(simMemorySize, '\0'))
      << "--fill reached device 3 alone";
  EXPECT_THAT(FileText(dumpPath + "/dev1/frames.txt"), HasSubstr(" write 1 erase 1 "));
  EXPECT_THAT(FileText(dumpPath + "/dev3/frames.txt"),
              HasSubstr("query 1 read 0 write 0 erase 0 "));
  EXPECT_THAT(FileText(dumpPath + "/dev2/transcript.txt"),
              HasSubstr("controller 3 command 0 query"));
}

TEST_F(VeltSimProcessTest, StationLinksFollowAPatternAndAFolderThatExistsStays) {
  child = Spawn({"--baud", "0", "--devices", "2", "--link", directory + "/velt-%d.tty",
                 "--device", "1", "--silent"});
  ReadLines(child.output, 2);
  EXPECT_EQ(SyncThrough(directory + "/velt-1.tty"), syncSilent);
  EXPECT_EQ(SyncThrough(directory + "/velt-2.tty"), 0);
  ASSERT_EQ(kill(child.pid, SIGINT), 0);
  EXPECT_EQ(WaitExit(child.pid), 0);
  EXPECT_FALSE(Exists(directory + "/velt-1.tty"));
  EXPECT_FALSE(Exists(directory + "/velt-2.tty"));

  close(child.output);
  child = Spawn({"--baud", "0", "--devices", "2", "--link", directory});
  ReadLines(child.output, 2);
  EXPECT_EQ(SyncThrough(directory + "/dev2"), 0);
  ASSERT_EQ(kill(child.pid, SIGTERM), 0);
  EXPECT_EQ(WaitExit(child.pid), 0);
  EXPECT_TRUE(Exists(directory)) << "not velt-sim's to remove";
  EXPECT_FALSE(Exists(directory + "/dev1"));
}

TEST_F(VeltSimProcessTest, StationRefusesToReplaceAFileAndLeavesNoLinkBehind) {
  const std::string links = directory + "/station";
  ASSERT_EQ(mkdir(links.c_str(), 0755), 0);
  folder.Write("station/dev2", "keep me");
  child = Spawn({"--devices", "3", "--link", links});
  EXPECT_EQ(WaitExit(child.pid), 1);
  EXPECT_EQ(FileText(links + "/dev2"), "keep me");
  EXPECT_FALSE(Exists(links + "/dev1")) << "made before the refusal, removed with it";
  EXPECT_FALSE(Exists(links + "/dev3"));
}

TEST_F(VeltSimProcessTest, HelpVersionAndBadArguments) {
  struct Case {
    std::vector<std::string> args;
    bool withErrors;
    std::string output;  // expected start of what the child prints
    int exitStatus;
  };
  const Case cases[] = {
      {{"--help"}, false, "Использование:\n  velt-sim [ПАРАМЕТРЫ]", 0},
      {{"-h"}, false, "Использование:\n", 0},
      {{"--version"}, false, "velt-sim " VELT_VERSION "\n", 0},
      {{"-V"}, false, "velt-sim " VELT_VERSION "\n", 0},
      {{"--drop", "sideways:1"}, false, "", exitUsage},  // nothing on stdout
      {{"--drop", "sideways:1"}, true,
       "velt-sim: неверное значение --drop: \"sideways:1\"\nСправка: velt-sim --help\n", exitUsage},
      {{"--version=2"}, true, "velt-sim: неизвестный параметр \"--version=2\"\n", exitUsage},
      {{"--devices", "2", "--device", "3"}, true,
       "velt-sim: неверное значение --device: \"3\" (от 1 до 2)\n", exitUsage},
      {{"--memory", "/nonexistent/velt-set"}, true,
       "velt-sim: --memory: набор прошивок не принят: /nonexistent/velt-set: папки нет\n",
       exitUsage},
  };
  for (const Case& c : cases) {
    child = Spawn(c.args, c.withErrors);
    const std::string output = ReadAll(child.output);
    close(child.output);
    child.output = -1;
    EXPECT_EQ(output.substr(0, c.output.size()), c.output) << c.args[0];
    if (c.output.empty()) {
      EXPECT_EQ(output, "") << c.args[0];
    }
    EXPECT_EQ(WaitExit(child.pid), c.exitStatus) << c.args[0];
  }
}

}  // namespace
