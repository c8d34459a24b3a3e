// Порт → "Проверить линию" end to end against a simulated device.
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/operations.h"
#include "loader/probe_line.h"
#include "tests/app/app_fixture.h"
#include "tests/support/sim_settings.h"

namespace {

class ProbeLineMenuTest : public AppTest {};

// What a controller's line says before its times.
std::string Verdicts(const std::string& line) { return line.substr(0, line.find(';')); }

TEST_F(ProbeLineMenuTest, LogsEachControllersVerdictsAndIsGreyedWhileItRuns) {
  // Controller 2 hears the contact's query but none of its own.
  SimOptions options = FastDevice();
  options.faults.dropAnswer = {{SimCommand::query, 2 + defaultProbeCount, defaultProbeCount}};
  StartOnDevice(options);

  ProbeLineMenuItem().do_callback(menuBar);
  EXPECT_FALSE(ProbeLineMenuItem().active()) << "greyed while its job runs";
  ProbeLineMenuItem().do_callback(menuBar);  // ignored: one job at a time
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(ProbeLineMenuItem().active());

  const std::vector<std::string> lines = LogLines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(Verdicts(lines[0]), "@C4Контроллер 1: отвечает 20 из 20, только эхо 0, тишина 0, мусор 0");
  EXPECT_EQ(Verdicts(lines[1]), "@C4Контроллер 2: отвечает 0 из 20, только эхо 20, тишина 0, мусор 0");
  EXPECT_EQ(Verdicts(lines[2]), "@C4Контроллер 3: отвечает 20 из 20, только эхо 0, тишина 0, мусор 0");
  EXPECT_EQ(lines[3], "@C1Ошибка!!!.");
  EXPECT_NE(LoggedText(lines).find("проверка связи с контроллером 2"), std::string::npos);
  // The simulator's pty is no adapter, so nothing is advised.
  EXPECT_EQ(LoggedText(lines).find("задержк"), std::string::npos);
}

}  // namespace
