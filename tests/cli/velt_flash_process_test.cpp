// velt-flash run as a process against the simulated device on a pty, as a
// script or a production line runs it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "coeff/device_float.h"
#include "firmware/firmware_images.h"
#include "link/port_lock_file.h"
#include "runner/job_identity.h"
#include "sim/simulator.h"
#include "tests/cli/flash_process.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/file_text.h"
#include "tests/support/sim_settings.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr uint32_t coefficientPages = 0x7000;
constexpr int coefficientBytes = 128;
constexpr int coefficientCount = 28;
const LogLines resetLog = {"Сброс коэффициентов.", "Коэффициенты сброшены.", "Проверка.",
                         "Проверка прошла.", "Запуск."};
const char stayedInBootloader[] =
    "velt-flash: приложение не запущено: устройство осталось в загрузчике и готово к загрузке "
    "прошивки";
const LogLines writeLog = {"Запись коэффициентов.", "Коэффициенты прошились.", "Проверка.",
                         "Проверка прошла.", "Запуск."};

std::vector<uint8_t> Slice(const std::vector<uint8_t>& memory, uint32_t address, int size) {
  return std::vector<uint8_t>(memory.begin() + address, memory.begin() + address + size);
}

// Controller 1's coefficient pages as the device holds them ...
std::vector<uint8_t> Coefficients(const Simulator& device) {
  return Slice(device.Memory(1), coefficientPages, coefficientBytes);
}

// ... and as they hold value(n) for coefficient n, the filler after them erased.
template <typename Value>
std::vector<uint8_t> CoefficientPages(Value value) {
  std::vector<uint8_t> bytes;
  for (int n = 1; n <= coefficientCount; ++n) {
    const DeviceFloat device = ToDeviceFloat(value(n));
    bytes.insert(bytes.end(), device.bytes, device.bytes + 4);
  }
  bytes.resize(coefficientBytes, 0xFF);
  return bytes;
}

// Every present page of the image in [base, end) is in the memory as it is
// in the image; every other page still holds the erased value.
void ExpectImageInMemory(const PageTable& image, uint32_t end, const std::vector<uint8_t>& memory) {
  for (uint32_t address = firmwareBase; address < end; address += 64) {
    const uint8_t* page = image.pages[(address - firmwareBase) / 64];
    const std::vector<uint8_t> expected =
        page != nullptr ? std::vector<uint8_t>(page, page + 64) : std::vector<uint8_t>(64, 0xFF);
    ASSERT_EQ(Slice(memory, address, 64), expected) << std::hex << "page " << address;
  }
}

class VeltFlash : public OneDevice {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.Ok());
    OneDevice::SetUp();
  }
  std::string Port() const { return device.DevicePath(); }
  std::string WriteFile(const std::string& content) { return folder.Write("c.koeff", content); }

  TemporaryFolder folder{"velt-flash"};
};

TEST_F(VeltFlash, LoadsVerifiesAndStartsTheFirmware) {
  const FlashRun run = RunFlash({"--port", Port(), "firmware"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out), firmwareLog);
  EXPECT_EQ(run.out.find_first_of("\r\x1b"), std::string::npos) << "a file gets plain lines";
  EXPECT_THAT(run.err, HasSubstr("cm.Sync() 3\n"));

  ExpectImageInMemory(controller1Image, 0x7000, device.Memory(1));
  ExpectImageInMemory(controller2Image, 0x8000, device.Memory(2));
  ExpectImageInMemory(controller3Image, 0x8000, device.Memory(3));
  EXPECT_EQ(Coefficients(device), std::vector<uint8_t>(coefficientBytes, 0xFF))
      << "the firmware load leaves the coefficients alone";
  EXPECT_TRUE(device.ApplicationRunning());
}

TEST_F(VeltFlash, ResetWritesTheDefaultCoefficients) {
  const FlashRun run = RunFlash({"--port", Port(), "reset"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out), resetLog);
  EXPECT_EQ(Coefficients(device), CoefficientPages([](int n) {
              return n == 7 || n == 11 || n == 20 || n == 28 ? 1.0f : 0.0f;
            }));
}

TEST_F(VeltFlash, WritesACoefficientFile) {
  const auto value = [](int n) { return -1.5f * static_cast<float>(n); };
  std::string text;
  for (int n = 1; n <= coefficientCount; ++n) text += std::to_string(value(n)) + "\r\n";
  const FlashRun run = RunFlash({"--port", Port(), "write", WriteFile(text)});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out), writeLog);
  EXPECT_EQ(Coefficients(device), CoefficientPages(value));
}

TEST_F(VeltFlash, ARejectedFileSendsNothingAndSaysWhy) {
  struct Case {
    std::string content;
    std::string reason;
  };
  std::string numbers;
  for (int n = 1; n <= 28; ++n) numbers += "1\n";
  const Case cases[] = {
      {"1\n2\nтри\n", "в строке 3 нет числа"},
      {numbers + "29\n", "больше 28 строк"},
      {"1\n2\n", "меньше 28 строк (прочитано 2)"},
      {"", "файл пуст"},
      // Words and commas the C library would have taken for numbers.
      {"1\n-INF\n" + numbers, "в строке 2 нет числа"},
      {"1\n2\n3\n4\nnan\n" + numbers, "в строке 5 нет числа"},
      {"1\n2\n3\n4\n5\n6\n7\n0,125\n" + numbers, "в строке 8 нет числа"},
      // A thousands separator and a spaced comma, whose first digits were written.
      {"1\n2\n1 000,5\n" + numbers,
       "в строке 3 число записано с запятой или пробелами внутри: используйте точку (1000.5)"},
      {"0, 5\n" + numbers, "в строке 1 число записано с запятой"},
  };
  for (const Case& c : cases) {
    const std::string file = WriteFile(c.content);
    const FlashRun run = RunFlash({"--port", Port(), "write", file});
    EXPECT_EQ(run.status, 5);
    EXPECT_THAT(run.err, HasSubstr(file));
    EXPECT_THAT(run.err, HasSubstr(c.reason));
    EXPECT_TRUE(run.out.empty());
  }
  const FlashRun missing = RunFlash({"--port", Port(), "write", "/nonexistent/c.koeff"});
  EXPECT_EQ(missing.status, 5);
  EXPECT_THAT(missing.err, HasSubstr("/nonexistent/c.koeff отклонён: файл не открывается"));
  // A pipe would hold the run until something wrote to it: refused unread.
  const std::string pipe = folder.Path() + "/pipe.koeff";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const FlashRun piped = RunFlash({"--port", Port(), "write", pipe});
  EXPECT_EQ(piped.status, 5);
  EXPECT_THAT(piped.err, HasSubstr("это не обычный файл"));
  // A name is shown, never obeyed: no line break or escape reaches the terminal.
  const FlashRun strange = RunFlash({"--port", Port(), "write", "/nonexistent/a\n\x1b[2J.koeff"});
  EXPECT_EQ(strange.status, 5);
  EXPECT_THAT(strange.err, HasSubstr("/nonexistent/a\xEF\xBF\xBD\xEF\xBF\xBD[2J.koeff отклонён"));
  EXPECT_TRUE(device.Transcript().empty()) << "nothing reached the device";
}

TEST_F(VeltFlash, OutcomesHaveTheirOwnExitStatusAndExplanation) {
  struct Case {
    const char* name;
    SimFaults faults;
    int status;
    LogLines lastLines;
    const char* hint;  // on stderr
  };
  const Case cases[] = {
      {"silent", Faults([](SimFaults& f) { f.silent = true; }), 2, {"Не отвечает."},
       "ничего не пришло"},
      {"echo only", Faults([](SimFaults& f) { f.echoOnly = true; }), 2, {"Не отвечает."},
       "только эхо"},
      {"garbled", Faults([](SimFaults& f) { f.corruptChecksum = {{SimCommand::query, 1, 1000}}; }),
       2, {"Не отвечает."}, "посторонние байты"},
      {"start not confirmed", Faults([](SimFaults& f) { f.ignoreLaunch = true; }), 3,
       {"Проверка.", "Проверка прошла."}, "запуск приложения не подтверждён"},
      {"mismatch", Faults([](SimFaults& f) { f.badReadController = 1; f.badReadPage = 0x7040; }),
       1, {"Проверка.", "Ошибка!!!."},
       "не удалось: проверка страницы 0x7040 контроллера 1: прочитано не то, что записано"},
  };
  for (const Case& c : cases) {
    device.SetFaults(c.faults);
    const FlashRun run = RunFlash({"--port", Port(), "reset"});
    EXPECT_EQ(run.status, c.status) << c.name;
    const LogLines lines = Lines(run.out);
    ASSERT_GE(lines.size(), c.lastLines.size()) << c.name;
    EXPECT_EQ(LogLines(lines.end() - c.lastLines.size(), lines.end()), c.lastLines) << c.name;
    if (c.hint[0] != '\0') {
      EXPECT_THAT(run.err, HasSubstr(c.hint)) << c.name;
    } else {
      EXPECT_TRUE(run.err.empty()) << c.name << ": " << run.err;
    }
  }
}

// A fixture's go/no-go: a device left in its application is no device in
// its bootloaders, whatever echoes (the other statuses: the runner's table).
TEST(VeltFlashProbe, ADeviceInItsApplicationIsStatusTwo) {
  Simulator device(Changed(Unpaced(), [](SimOptions& o) { o.stayLaunched = true; }));
  ASSERT_TRUE(device.Ok());
  ASSERT_EQ(RunFlash({"--port", device.DevicePath(), "probe", "--count", "1"}).status, 0);
  ASSERT_TRUE(device.ApplicationRunning());

  const FlashRun run = RunFlash({"--port", device.DevicePath(), "probe", "--count", "5"});
  EXPECT_EQ(run.status, 2) << run.err;
  const LogLines lines = Lines(run.out);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Не отвечает."), lines.end());
  EXPECT_THAT(run.out, HasSubstr("Контроллер 1: отвечает 0 из 5, только эхо 5"));
}

// The line dies right after the first Launch: no confirmed start, so not 0.
TEST(VeltFlashDeadLine, AfterLaunchIsNoAnswerWithStatusTwo) {
  Simulator device(Unpaced(Faults([](SimFaults& f) { f.hangUp = {{SimCommand::launch, 1}}; })));
  ASSERT_TRUE(device.Ok());
  const FlashRun run = RunFlash({"--port", device.DevicePath(), "reset"});
  EXPECT_EQ(run.status, 2) << run.err;
  const LogLines expected = {"Сброс коэффициентов.", "Коэффициенты сброшены.", "Проверка.",
                             "Проверка прошла.", "Не отвечает."};
  EXPECT_EQ(Lines(run.out), expected);
  // The hint speaks of the dead line, not of the answers heard before it.
  EXPECT_THAT(run.err, HasSubstr("ничего не пришло в ответ"));
  EXPECT_TRUE(device.HungUp());
}

TEST_F(VeltFlash, APortThatCannotBeOpenedIsStatusFourWithTheReason) {
  const FlashRun missing = RunFlash({"--port", "/dev/velt-no-such-port", "reset"});
  EXPECT_EQ(missing.status, 4);
  EXPECT_THAT(missing.err, HasSubstr("порт /dev/velt-no-such-port не открылся: порт не найден"));

  const FlashRun mapped =
      RunFlash({"--port", "3", "reset"}, {"VELT_COM3=/dev/velt-no-such-port"});
  EXPECT_EQ(mapped.status, 4);
  EXPECT_THAT(mapped.err, HasSubstr("порт 3 (/dev/velt-no-such-port) не открылся"));
  EXPECT_TRUE(missing.out.empty());
}

TEST_F(VeltFlash, APortDigitIsMappedAsTheWindowMapsIt) {
  const FlashRun run = RunFlash({"--port", "2", "reset"}, {"VELT_COM2=" + Port()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out), resetLog);
}

TEST_F(VeltFlash, UsageErrorsAreStatus64AndTouchNoPort) {
  const std::string record = folder.Write("log.csv", "old rows\r\n");
  const std::string coefficients = WriteFile("1.5\n");
  const std::string link = folder / "link.csv";
  ASSERT_EQ(symlink(coefficients.c_str(), link.c_str()), 0);
  const std::vector<std::vector<std::string>> commands = {
      {},
      {"--port", Port()},
      {"reset"},
      {"--port", Port(), "flash"},
      {"--port", Port(), "write"},
      {"--port", Port(), "--speed", "9600", "reset"},
      {"--port", "7", "reset"},
      {"--port", Port(), "re\x1B[2Jset\nwrite"},  // echoed, but not obeyed
      // The record as the job's own file would destroy the one or the other.
      {"--port", Port(), "--record", record, "save-coefficients", folder / "./log.csv", "--force"},
      {"--port", Port(), "--record", link, "write", coefficients},
  };
  for (const std::vector<std::string>& command : commands) {
    const FlashRun run = RunFlash(command);
    EXPECT_EQ(run.status, 64) << run.err;
    EXPECT_THAT(run.err, StartsWith("velt-flash: "));
    EXPECT_EQ(run.err.find_first_of("\x1B"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_TRUE(device.Transcript().empty());
  EXPECT_EQ(FileText(record), "old rows\r\n");
  EXPECT_EQ(FileText(coefficients), "1.5\n");
}

TEST_F(VeltFlash, HelpAndVersion) {
  const FlashRun help = RunFlash({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("Коды завершения"));
  const FlashRun version = RunFlash({"--version"});
  EXPECT_EQ(version.status, 0);
  // The version, then the firmware's identity as the job record gives it.
  EXPECT_TRUE(std::regex_match(version.out, std::regex("velt-flash \\d+\\.\\d+\\.\\d+\n.*\n")))
      << version.out;
  EXPECT_EQ(Lines(version.out).back(),
            "прошивка: sha256 " + FirmwareSha256(BuiltInFirmwareTables()));
}

TEST_F(VeltFlash, TracePrintsEveryFrameAsHex) {
  const FlashRun run = RunFlash({"--trace", "--port", Port(), "reset"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out), resetLog) << "the trace stays off stdout";
  const std::regex frameLine(R"( *\d+\.\d{3} ([<>=])( [0-9A-F]{2})+)");
  int sent = 0;
  int echoes = 0;
  int answers = 0;
  for (const std::string& line : Lines(run.err)) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, frameLine)) << line;
    const char mark = match[1].str()[0];
    sent += mark == '>';
    echoes += mark == '=';
    answers += mark == '<';
    EXPECT_THAT(line, HasSubstr(match[1].str() + " 0F 0F ")) << "each line is a whole frame";
  }
  // One line per frame the device received; every answer came behind its echo.
  EXPECT_EQ(sent, static_cast<int>(device.Transcript().size()));
  EXPECT_GT(answers, 0);
  EXPECT_GE(echoes, answers);
}

TEST_F(VeltFlash, OnATerminalLinesAreColouredAndProgressUpdatesInPlace) {
  FlashRun run = RunFlashOnTerminal({"--port", Port(), "firmware"});
  EXPECT_EQ(run.status, 0) << run.err;
  // The terminal turns each line feed into CR LF.
  run.out = std::regex_replace(run.out, std::regex("\r\n"), "\n");
  EXPECT_THAT(run.out, HasSubstr("\x1b[34mКонтроллер 1 - запись\x1b[0m\n"));
  EXPECT_THAT(run.out, HasSubstr("\x1b[34mЗапуск.\x1b[0m\n"));
  EXPECT_THAT(run.out, HasSubstr("\r\x1b[Kзаписано страниц: 1 из 149, проверено: 0 из 149"));
  EXPECT_THAT(run.out, HasSubstr("\r\x1b[Kзаписано страниц: 149 из 149, проверено: 149 из 149"));
}

TEST_F(VeltFlash, ATraceOnTheSameTerminalGetsNoProgressLineInItsWay) {
  const FlashRun run = RunFlashOnTerminal({"--trace", "--port", Port(), "reset"}, true);
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.out, HasSubstr("\x1b[34mПроверка прошла.\x1b[0m"));
  EXPECT_THAT(run.out, HasSubstr(" > 0F 0F "));
  EXPECT_THAT(run.out, Not(HasSubstr("записано страниц")));
}

TEST_F(VeltFlash, CtrlCStopsBetweenTwoStepsAndClosesThePort) {
  Simulator paced;  // at 57600 baud the load takes long enough to interrupt
  ASSERT_TRUE(paced.Ok());
  // SIGTERM, as a service manager or a script's kill sends it, like Ctrl-C.
  for (const int signal : {SIGINT, SIGTERM}) {
    const FlashRun run =
        RunFlashAndInterrupt({"--port", paced.DevicePath(), "firmware"}, 700, signal);
    EXPECT_EQ(run.status, 130) << signal << ": " << run.err;
    EXPECT_THAT(run.err, HasSubstr("прервано")) << signal;
    EXPECT_THAT(run.out, Not(HasSubstr("Ошибка"))) << "a stop is no failure";
    // The port was let go: a second run can open it at once.
    const FlashRun again = RunFlash({"--port", paced.DevicePath(), "reset"});
    EXPECT_EQ(again.status, 0) << again.err;
  }
}

// The jobs that only read: what a device must never receive from them.
const SimCommand changingKinds[] = {SimCommand::erase, SimCommand::write, SimCommand::control,
                                    SimCommand::null};

std::vector<int> ChangingFrames(const Simulator& device) {
  std::vector<int> counts;
  for (SimCommand kind : changingKinds) counts.push_back(device.FramesReceived(kind));
  return counts;
}

TEST_F(VeltFlash, VerifyOnAFreshlyLoadedDeviceMatchesAndChangesNothing) {
  ASSERT_EQ(RunFlash({"--port", Port(), "firmware"}).status, 0);
  const std::vector<int> before = ChangingFrames(device);
  const int readsBefore = device.FramesReceived(SimCommand::read);
  const FlashRun run = RunFlash({"--port", Port(), "verify"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out), (LogLines{"Контроллер 1 - проверка", "Контроллер 2 - проверка",
                                      "Контроллер 3 - проверка", "Проверка прошла.", "Запуск."}));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ChangingFrames(device), before) << "no erase, write, control byte or null command";
  EXPECT_EQ(device.FramesReceived(SimCommand::read) - readsBefore, 149);
}

TEST_F(VeltFlash, VerifyNamesTheOneCorruptedByteOnControllerTwo) {
  ASSERT_EQ(RunFlash({"--port", Port(), "firmware"}).status, 0);
  const std::vector<uint8_t> memory2 = device.Memory(2);
  const uint32_t corrupted = 0x2140 + 17;
  device.SetMemory(2, corrupted, {static_cast<uint8_t>(memory2[corrupted] ^ 0x01)});
  const std::vector<int> before = ChangingFrames(device);
  const int launchesBefore = device.FramesReceived(SimCommand::launch);
  const FlashRun run = RunFlash({"--port", Port(), "verify"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Lines(run.out), (LogLines{"Контроллер 1 - проверка", "Контроллер 2 - проверка",
                                      "Ошибка!!!.", "Контроллер 3 - проверка"}));
  EXPECT_EQ(device.FramesReceived(SimCommand::launch), launchesBefore) << "not started";
  EXPECT_FALSE(device.ApplicationRunning());
  char expected[256];
  std::snprintf(expected, sizeof expected,
                "velt-flash: контроллер 2, страница 0x2140: отличаются 1 из 64 байт, первый - "
                "смещение 17 (0x2151): ожидалось %02X, прочитано %02X",
                memory2[corrupted], memory2[corrupted] ^ 0x01);
  EXPECT_EQ(Lines(run.err), (LogLines{expected, stayedInBootloader}));
  EXPECT_EQ(ChangingFrames(device), before);
}

TEST_F(VeltFlash, VerifyOfAnErasedDeviceListsABoundedNumberOfPages) {
  const FlashRun run = RunFlash({"--port", Port(), "verify"});
  EXPECT_EQ(run.status, 1);
  const LogLines errors = Lines(run.err);
  ASSERT_EQ(errors.size(), 22u) << run.err;
  EXPECT_EQ(errors[20], "velt-flash: и ещё страниц с отличиями: 129");
  EXPECT_EQ(errors.back(), stayedInBootloader);
}

TEST_F(VeltFlash, SavedCoefficientsWrittenBackGiveTheSameBytes) {
  // Every kind of value a device can hold, written the ordinary way first.
  const float values[] = {0.1f, -0.0f, 0.0f, 1e-45f, -3.4028235e38f, 1.17549435e-38f, 123456.789f,
                          -2.5f, 7e-40f, 1.0f, 16777217.0f, 3.14159274f, -1e-10f, 42.0f};
  std::string text;
  for (int n = 0; n < 28; ++n) {
    char line[64];
    // Past the float range: the infinities, the only way a file spells them.
    if (n == 26) std::snprintf(line, sizeof line, "1e39\n");
    else if (n == 27) std::snprintf(line, sizeof line, "-1e39\n");
    else std::snprintf(line, sizeof line, "%.9g\n", values[n % 14] * (n < 14 ? 1.0f : -1.0f));
    text += line;
  }
  ASSERT_EQ(RunFlash({"--port", Port(), "write", WriteFile(text)}).status, 0);
  const std::vector<uint8_t> written = Coefficients(device);

  const std::string saved = folder / "saved.koeff";
  const std::vector<int> before = ChangingFrames(device);
  const FlashRun save = RunFlash({"--port", Port(), "save-coefficients", saved});
  EXPECT_EQ(save.status, 0) << save.err;
  EXPECT_EQ(Lines(save.out), (LogLines{"Чтение коэффициентов.", "Запуск.",
                                       "Коэффициенты сохранены в " + saved}));
  EXPECT_EQ(ChangingFrames(device), before);
  const LogLines savedLines = Lines(FileText(saved));
  ASSERT_EQ(savedLines.size(), 28u);
  EXPECT_EQ(savedLines[0], "0.1");
  EXPECT_EQ(savedLines[1], "-0.0");
  EXPECT_EQ(savedLines[26], "1e39");

  // A second save refuses to replace it, before touching the port.
  device.ClearTranscript();
  const FlashRun again = RunFlash({"--port", Port(), "save-coefficients", saved});
  EXPECT_EQ(again.status, 5);
  EXPECT_THAT(again.err, HasSubstr("--force"));
  EXPECT_TRUE(device.Transcript().empty());
  // A folder is no target, whatever --force says.
  const FlashRun plain = RunFlash({"--port", Port(), "save-coefficients", folder.Path()});
  const FlashRun forced =
      RunFlash({"--port", Port(), "save-coefficients", folder.Path(), "--force"});
  for (const FlashRun& run : {plain, forced}) {
    EXPECT_EQ(run.status, 5);
    EXPECT_THAT(run.err, HasSubstr(folder.Path() + ": это папка"));
  }
  EXPECT_TRUE(device.Transcript().empty());
  EXPECT_EQ(RunFlash({"--port", Port(), "save-coefficients", saved, "--force"}).status, 0);

  device.SetMemory(1, coefficientPages, std::vector<uint8_t>(coefficientBytes, 0x00));
  ASSERT_EQ(RunFlash({"--port", Port(), "write", saved}).status, 0);
  EXPECT_EQ(Coefficients(device), written);
}

// kill -9 in mid-load leaves the port's exclusive flag (the simulator keeps
// the terminal open) and the lock file with a PID that is gone: the next run
// must not take them for another program, while a running program's lock
// file still refuses the port with its reason.
TEST_F(VeltFlash, AKilledRunLeavesNothingThatRefusesTheNextOne) {
  if (access(portLockFolder, W_OK) != 0) GTEST_SKIP() << portLockFolder << " takes no lock file here";
  const std::string lockFile = std::string(portLockFolder) + "/LCK.." + PortLockName(Port());
  // The simulator keeps its terminal open, so the killed run's exclusive
  // flag outlives it, and the system lets only root open such a terminal
  // (a real adapter's flag goes with the last close).
  if (geteuid() == 0) {
    const FlashRun killed = RunFlashAndMeanwhile({"--port", Port(), "firmware"}, 300,
                                                 [](pid_t child) { kill(child, SIGKILL); });
    ASSERT_EQ(killed.status, -1) << "killed in mid-load: " << killed.out;
    EXPECT_EQ(access(lockFile.c_str(), F_OK), 0) << "a killed run leaves its lock file";

    const FlashRun next = RunFlash({"--port", Port(), "firmware"});
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_NE(access(lockFile.c_str(), F_OK), 0) << "a finished run takes its lock file away";
  }

  FILE* held = std::fopen(lockFile.c_str(), "w");
  ASSERT_NE(held, nullptr);
  std::fprintf(held, "%10d\n", 1);  // init's PID: a process that runs
  std::fclose(held);
  device.ClearTranscript();
  const FlashRun refused = RunFlash({"--port", Port(), "reset"});
  unlink(lockFile.c_str());
  EXPECT_EQ(refused.status, 4);
  EXPECT_THAT(refused.err, HasSubstr("порт занят другой программой"));
  EXPECT_TRUE(device.Transcript().empty());
}

}  // namespace
