// Порт → "Проверить линию" end to end against a simulated device.
#include <algorithm>
#include <string>
#include <vector>

#include "app/log_text_width.h"
#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "loader/probe_line.h"
#include "tests/app/app_fixture.h"
#include "tests/support/sim_settings.h"

namespace {

class ProbeLineMenuTest : public AppTest {};

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
  const std::string text = LoggedText(lines);
  for (const char* verdicts : {"Контроллер 1: отвечает 20 из 20, только эхо 0, тишина 0, мусор 0",
                               "Контроллер 2: отвечает 0 из 20, только эхо 20, тишина 0, мусор 0",
                               "Контроллер 3: отвечает 20 из 20, только эхо 0, тишина 0, мусор 0"}) {
    EXPECT_NE(text.find(verdicts), std::string::npos) << verdicts;
  }
  // Longer than the log is wide, they are split as the window's own lines.
  for (const std::string& line : lines) {
    EXPECT_LE(LogTextWidth(LoggedText({line})), SplitLogWidth()) << line;
  }
  EXPECT_NE(std::find(lines.begin(), lines.end(), "@C1Ошибка!!!."), lines.end());
  EXPECT_NE(LoggedText(lines).find("проверка связи с контроллером 2"), std::string::npos);
  // The simulator's pty is no adapter, so nothing is advised.
  EXPECT_EQ(LoggedText(lines).find("задержк"), std::string::npos);
}

}  // namespace
