// velt-flash with several --port against one simulated device each, all in
// this test process: a station's run as a production line sees it.
#include <unistd.h>

#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "loader/firmware/firmware_images.h"
#include "sim/simulator.h"
#include "tests/cli/flash_process.h"
#include "tests/support/image_bytes.h"

namespace {

using LogLines = std::vector<std::string>;

const LogLines firmwareLog = {
    "Контроллер 1 - запись",  "Контроллер 2 - запись",  "Контроллер 3 - запись",
    "Контроллеры загружены.", "Контроллер 1 - проверка", "Контроллер 2 - проверка",
    "Контроллер 3 - проверка", "Проверка прошла.",       "Запуск."};

constexpr uint32_t controller1End = 0x7000;
constexpr uint32_t applicationEnd = 0x8000;

SimOptions Unpaced(const SimFaults& faults = {}) {
  SimOptions options;
  options.baud = 0;
  options.faults = faults;
  return options;
}

// Each line of a station's output is "PORT: text": the text, by port.
std::map<std::string, LogLines> ByPort(const std::string& output,
                                       const std::vector<std::string>& ports) {
  std::map<std::string, LogLines> lines;
  for (const std::string& line : Lines(output)) {
    bool known = false;
    for (const std::string& port : ports) {
      if (line.rfind(port + ": ", 0) != 0) continue;
      lines[port].push_back(line.substr(port.size() + 2));
      known = true;
    }
    EXPECT_TRUE(known) << "a line without its port: " << line;
  }
  return lines;
}

bool Contains(const LogLines& lines, const std::string& part) {
  for (const std::string& line : lines) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

void ExpectFirmwareLoaded(const Simulator& device) {
  const struct {
    int controller;
    const PageTable& image;
    uint32_t end;
  } controllers[] = {{1, controller1Image, controller1End},
                     {2, controller2Image, applicationEnd},
                     {3, controller3Image, applicationEnd}};
  for (const auto& c : controllers) {
    EXPECT_EQ(MemoryBytesAtImage(device.Memory(c.controller), c.image, firmwareBase, c.end,
                                 firmwareBase),
              ImageBytes(c.image, firmwareBase, c.end, firmwareBase))
        << "controller " << c.controller;
  }
  EXPECT_TRUE(device.ApplicationRunning());
}

std::vector<std::string> PortArguments(const std::vector<std::string>& ports) {
  std::vector<std::string> arguments;
  for (const std::string& port : ports) arguments.insert(arguments.end(), {"-p", port});
  return arguments;
}

// One silent device, one whose line dies at a read, a port that is not
// there, one with a bad page, two sound ones: each ends as it would alone,
// and the others load as if the faulty ones were not there.
TEST(VeltFlashStation, EachDeviceEndsAsItWouldAloneAndTheFirstFailureIsTheExitStatus) {
  struct Device {
    const char* name;
    SimFaults faults;
    int status;
    const char* outcome;   // in the summary
    LogLines lastLines;    // of its log
    const char* errorPart; // in its stderr lines; "" when only the trace line
    bool absent = false;   // no device behind the port
  };
  SimFaults silent;
  silent.silent = true;
  SimFaults hangsUp;
  hangsUp.hangUp = {{SimCommand::read, 10}};
  SimFaults badPage;
  badPage.badReadController = 2;
  badPage.badReadPage = 0x2140;
  const Device devices[] = {
      {"sound", {}, 0, "запущено", firmwareLog, ""},
      {"silent", silent, 2, "не отвечает", {"Не отвечает."}, "ничего не пришло в ответ"},
      {"hangs up at a read", hangsUp, 1, "ошибка", {"Контроллер 1 - проверка", "Ошибка!!!."},
       "velt-flash: не удалось: чтение страницы 0x2240 контроллера 1: "},
      {"absent", {}, 4, "порт не открылся", {}, "не открылся: порт не найден", true},
      {"bad page", badPage, 1, "ошибка", {"Контроллер 2 - проверка", "Ошибка!!!."},
       "velt-flash: не удалось: проверка страницы 0x2140 контроллера 2: прочитано не то, что "
       "записано"},
      {"sound too", {}, 0, "запущено", firmwareLog, ""},
  };
  std::vector<std::unique_ptr<Simulator>> simulators;
  std::vector<std::string> ports;
  for (const Device& device : devices) {
    simulators.push_back(std::make_unique<Simulator>(Unpaced(device.faults)));
    ASSERT_TRUE(simulators.back()->Ok());
    ports.push_back(device.absent ? "/dev/velt-no-such-port" : simulators.back()->DevicePath());
  }
  std::vector<std::string> arguments = PortArguments(ports);
  arguments.push_back("firmware");
  const FlashRun run = RunFlash(arguments);

  // Not the largest status (4), nor the smallest or the last (1).
  EXPECT_EQ(run.status, 2) << "the silent device is the first that failed";
  std::map<std::string, LogLines> out = ByPort(run.out, ports);
  std::map<std::string, LogLines> errors = ByPort(run.err, ports);
  const LogLines all = Lines(run.out);
  ASSERT_GE(all.size(), ports.size());
  for (size_t i = 0; i < ports.size(); ++i) {
    const Device& device = devices[i];
    // The summary closes the output, in --port order.
    const std::string summary = all[all.size() - ports.size() + i];
    const std::regex summaryLine(ports[i] + ": итог: " + device.outcome + ", код " +
                                 std::to_string(device.status) + R"(, \d+\.\d с)");
    EXPECT_TRUE(std::regex_match(summary, summaryLine)) << device.name << ": " << summary;
    LogLines log = out[ports[i]];
    ASSERT_GE(log.size(), device.lastLines.size() + 1) << device.name;
    if (device.absent) {
      EXPECT_EQ(log.size(), 1u) << "nothing but the summary";
      EXPECT_TRUE(simulators[i]->Transcript().empty());
    }
    log.pop_back();  // the summary
    EXPECT_EQ(LogLines(log.end() - device.lastLines.size(), log.end()), device.lastLines)
        << device.name;
    if (device.status == 0) {
      EXPECT_EQ(log, firmwareLog) << device.name;
      EXPECT_EQ(errors[ports[i]], LogLines{"cm.Sync() 3"}) << device.name;
      ExpectFirmwareLoaded(*simulators[i]);
    } else {
      EXPECT_TRUE(Contains(errors[ports[i]], device.errorPart))
          << device.name << ": " << ::testing::PrintToString(errors[ports[i]]);
      EXPECT_FALSE(simulators[i]->ApplicationRunning()) << device.name;
    }
  }
  EXPECT_TRUE(simulators[2]->HungUp());
  EXPECT_FALSE(simulators[4]->HungUp());
}

TEST(VeltFlashStation, APortTwiceOrASaveOnSeveralIsAUsageErrorThatSendsNothing) {
  Simulator first(Unpaced());
  Simulator second(Unpaced());
  ASSERT_TRUE(first.Ok() && second.Ok());
  const std::string a = first.DevicePath();
  const std::string b = second.DevicePath();
  std::vector<std::string> tooMany;
  for (int n = 0; n <= 32; ++n) {
    tooMany.insert(tooMany.end(), {"-p", "/dev/velt-none-" + std::to_string(n)});
  }
  tooMany.push_back("reset");
  struct Case {
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::string reason;
  };
  const Case cases[] = {
      {{"-p", a, "-p", b, "--port", a, "firmware"}, {}, "задан дважды"},
      {{"-p", "1", "-p", a, "reset"}, {"VELT_COM1=" + a}, "\"1\" и \"" + a + "\" - один порт"},
      {{"-p", a, "-p", b, "save-coefficients", "/tmp/velt-never-written.koeff"}, {},
       "одно устройство"},
      {tooMany, {}, "больше 32"},
  };
  for (const Case& c : cases) {
    const FlashRun run = RunFlash(c.arguments, c.environment);
    EXPECT_EQ(run.status, 64) << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
  EXPECT_TRUE(first.Transcript().empty());
  EXPECT_TRUE(second.Transcript().empty());
  EXPECT_NE(access("/tmp/velt-never-written.koeff", F_OK), 0);
}

TEST(VeltFlashStation, TheTraceOfEachDeviceIsPrefixedWithItsPort) {
  Simulator first(Unpaced());
  Simulator second(Unpaced());
  ASSERT_TRUE(first.Ok() && second.Ok());
  const std::vector<std::string> ports = {first.DevicePath(), second.DevicePath()};
  const FlashRun run = RunFlash({"-v", "-p", ports[0], "-p", ports[1], "reset"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::regex frame(R"( *\d+\.\d{3} [<>=]( [0-9A-F]{2})+)");
  std::map<std::string, LogLines> errors = ByPort(run.err, ports);
  for (const std::string& port : ports) {
    std::string marks;
    for (const std::string& line : errors[port]) {
      std::smatch match;
      ASSERT_TRUE(std::regex_match(line, match, frame)) << port << ": " << line;
      marks += line[line.find_first_of("<>=")];
    }
    for (const char mark : {'>', '=', '<'}) {
      EXPECT_NE(marks.find(mark), std::string::npos) << port << " traced no " << mark;
    }
  }
}

TEST(VeltFlashStation, CtrlCStopsEveryDeviceBetweenTwoSteps) {
  Simulator first;  // paced, so that the load is still running when the signal comes
  Simulator second;
  ASSERT_TRUE(first.Ok() && second.Ok());
  const std::vector<std::string> ports = {first.DevicePath(), second.DevicePath()};
  const FlashRun run = RunFlashAndInterrupt({"-p", ports[0], "-p", ports[1], "firmware"}, 700);
  EXPECT_EQ(run.status, 130) << run.err;
  std::map<std::string, LogLines> out = ByPort(run.out, ports);
  std::map<std::string, LogLines> errors = ByPort(run.err, ports);
  for (const std::string& port : ports) {
    ASSERT_FALSE(out[port].empty()) << port;
    const std::regex stopped(R"(итог: прервано, код 130, \d+\.\d с)");
    EXPECT_TRUE(std::regex_match(out[port].back(), stopped)) << out[port].back();
    EXPECT_FALSE(Contains(out[port], "Ошибка")) << "a stop is no failure";
    EXPECT_EQ(errors[port], LogLines{"velt-flash: прервано"}) << port;
  }
  EXPECT_FALSE(first.ApplicationRunning());
  EXPECT_EQ(RunFlash({"-p", ports[0], "-p", ports[1], "reset"}).status, 0) << "both ports let go";
}

// The characters of each piece a terminal shows between two carriage
// returns or line feeds, the control sequences taken out.
std::vector<int> DrawnWidths(const std::string& output) {
  const std::string text = std::regex_replace(output, std::regex("\x1b\\[[0-9;]*[A-Za-z]"), "");
  std::vector<int> widths;
  int characters = 0;
  for (unsigned char byte : text) {
    if (byte == '\r' || byte == '\n') {
      widths.push_back(characters);
      characters = 0;
    } else {
      characters += (byte & 0xC0) != 0x80;
    }
  }
  widths.push_back(characters);
  return widths;
}

TEST(VeltFlashStation, OnATerminalEachDeviceHasARowThatFitsAndStaysInPlace) {
  constexpr int devices = 4;
  std::vector<std::unique_ptr<Simulator>> simulators;
  std::vector<std::string> arguments;
  for (int n = 0; n < devices; ++n) {
    simulators.push_back(std::make_unique<Simulator>(Unpaced()));
    ASSERT_TRUE(simulators.back()->Ok());
    arguments.insert(arguments.end(), {"-p", simulators.back()->DevicePath()});
  }
  arguments.push_back("firmware");
  TerminalRun terminal;
  terminal.columns = 50;
  terminal.rows = 4;  // two rows, one for the other two devices, the cursor's line
  terminal.errorsToTerminal = true;
  const FlashRun run = RunFlashOnTerminal(arguments, terminal);
  EXPECT_EQ(run.status, 0);
  for (const int width : DrawnWidths(run.out)) EXPECT_LT(width, 50);
  EXPECT_NE(run.out.find("\r\x1b[3A"), std::string::npos) << "redrawn from the first row";
  const size_t lastFrame = run.out.rfind("\r\x1b[3A");
  ASSERT_NE(lastFrame, std::string::npos);
  const std::string finalRows = run.out.substr(lastFrame);
  EXPECT_NE(finalRows.find("ещё устройств: 2, закончили 2"), std::string::npos) << finalRows;
  EXPECT_NE(finalRows.find("100 %"), std::string::npos) << finalRows;
  // Below the rows: what the devices said on stderr, then the summary.
  const std::string plain =
      std::regex_replace(finalRows, std::regex("\x1b\\[[0-9;]*[A-Za-z]|\r"), "");
  for (const auto& simulator : simulators) {
    const std::string port = simulator->DevicePath();
    EXPECT_NE(plain.find("\n" + port + ": cm.Sync() 3\n"), std::string::npos) << plain;
    const std::regex summary("\n" + port + ": итог: запущено, код 0, \\d+\\.\\d с\n");
    EXPECT_TRUE(std::regex_search(plain, summary)) << plain;
    ExpectFirmwareLoaded(*simulator);
  }
}

TEST(VeltFlashStation, WithoutColourATerminalGetsPrefixedLinesAndNoEscape) {
  Simulator first(Unpaced());
  Simulator second(Unpaced());
  ASSERT_TRUE(first.Ok() && second.Ok());
  const std::vector<std::string> ports = {first.DevicePath(), second.DevicePath()};
  for (const std::vector<std::string>& environment :
       {std::vector<std::string>{"NO_COLOR=1"}, std::vector<std::string>{"TERM=dumb"}}) {
    TerminalRun terminal;
    terminal.columns = 80;
    terminal.rows = 24;
    terminal.environment = environment;
    terminal.errorsToTerminal = true;
    FlashRun run = RunFlashOnTerminal({"-p", ports[0], "-p", ports[1], "reset"}, terminal);
    EXPECT_EQ(run.status, 0) << environment[0];
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << environment[0];
    run.out = std::regex_replace(run.out, std::regex("\r\n"), "\n");
    ByPort(run.out, ports);  // every line has its port
    EXPECT_NE(run.out.find(ports[1] + ": Запуск.\n"), std::string::npos) << run.out;
  }
}

}  // namespace
