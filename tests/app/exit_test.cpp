// Leaving the program: at once when idle; while an operation runs only after
// the operator agrees, and then only once the worker has let go of the port.
#include <FL/Fl.H>

#include <functional>

#include "app/main_window.h"
#include "app/operations.h"
#include "app/program_exit.h"
#include "link/boot_link.h"
#include "tests/app/app_fixture.h"
#include "tests/app/keys.h"

namespace {

struct ExitRecord {
  int calls = 0;
  int status = -1;
  int busyAtExit = -1;
  bool portOpenAtExit = true;
};
ExitRecord exitRecord;

void RecordExit(int status) {
  ++exitRecord.calls;
  exitRecord.status = status;
  exitRecord.busyAtExit = operationBusy;
  exitRecord.portOpenAtExit = comPort.IsOpen();
}

int questionsAsked = 0;
int operatorAnswer = 0;
int AnswerQuestion() {
  ++questionsAsked;
  return operatorAnswer;
}

StopQuestion realQuestion = nullptr;
int keyForQuestion = 0;
constexpr double keyDelaySeconds = 0.05;

// Runs inside the question's own event loop and answers it with a key.
void PressKeyInQuestion(void*) {
  for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w)) {
    if (w != mainWindow && w->shown()) {
      PressKey(w, keyForQuestion, 0, keyForQuestion == FL_Enter ? "\r" : "\x1b");
      return;
    }
  }
  Fl::repeat_timeout(keyDelaySeconds, PressKeyInQuestion);
}

class WindowExitTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    exitRecord = ExitRecord{};
    questionsAsked = 0;
    realQuestion = askStopAndExit;
    programExit = RecordExit;
    askStopAndExit = AnswerQuestion;
  }

  // A firmware load slow enough to be caught running.
  void StartSlowFirmwareLoad() {
    SimOptions slow = FastDevice();
    slow.writeLatencyMs = 15;
    AttachDevice(1, slow);
    StartProgram();
    loadFirmwareButton->do_callback();
    ASSERT_TRUE(PumpUntil([] { return logBrowser->size() >= 1; }));
  }
};

const std::vector<std::pair<const char*, std::function<void()>>>& ExitTriggers() {
  static const std::vector<std::pair<const char*, std::function<void()>>> triggers = {
      {"exit button", [] { exitButton->do_callback(); }},
      {"Выход item", [] { mainMenu[exitMenuItem].do_callback(menuBar); }},
      {"Ctrl+X", [] { PressKey(mainWindow, 'x', FL_CTRL, "\x18"); }},
  };
  return triggers;
}

TEST_F(WindowExitTest, IdleExitClosesThePortAndEndsWithZeroFromEveryTrigger) {
  Simulator& device = AttachDevice(1);
  StartProgram();
  for (const auto& [name, trigger] : ExitTriggers()) {
    ASSERT_EQ(comPort.OpenDevice(device.DevicePath().c_str()), 0);
    exitRecord = ExitRecord{};
    trigger();
    EXPECT_EQ(exitRecord.calls, 1) << name;
    EXPECT_EQ(exitRecord.status, 0) << name;
    EXPECT_FALSE(exitRecord.portOpenAtExit) << name;
  }
  EXPECT_EQ(questionsAsked, 0);
}

TEST_F(WindowExitTest, ShortcutsUseCtrlNotAlt) {
  const std::string directory = MakeWorkDirectory();
  StartProgram();
  logBrowser->add("@C4x");
  PressKey(mainWindow, 'e', FL_ALT, "e");
  EXPECT_EQ(logBrowser->size(), 1);
  PressKey(mainWindow, 'e', FL_CTRL, "\x05");
  EXPECT_EQ(logBrowser->size(), 0);

  PressKey(mainWindow, 'x', FL_ALT, "x");
  EXPECT_EQ(exitRecord.calls, 0);

  AnswerNextFileDialog("");
  const int dialogsBefore = FileDialogsAnswered();
  PressKey(mainWindow, 'o', FL_CTRL, "\x0f");
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore + 1);
  EXPECT_EQ(logBrowser->size(), 0);  // the menu's chooser is silent on Cancel
}

TEST_F(WindowExitTest, BusyExitAnsweredNoCarriesOn) {
  StartSlowFirmwareLoad();
  operatorAnswer = 0;
  for (const auto& [name, trigger] : ExitTriggers()) {
    trigger();
    EXPECT_EQ(exitRecord.calls, 0) << name;
  }
  EXPECT_EQ(questionsAsked, 3);
  EXPECT_EQ(operationBusy, 1);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LogLines().back(), "@C4Запуск.");
}

TEST_F(WindowExitTest, BusyExitAnsweredYesStopsTheWorkerBeforeClosingThePort) {
  StartSlowFirmwareLoad();
  operatorAnswer = 1;
  exitButton->do_callback();
  EXPECT_EQ(questionsAsked, 1);
  EXPECT_EQ(exitRecord.calls, 1);
  EXPECT_EQ(exitRecord.status, 0);
  EXPECT_EQ(exitRecord.busyAtExit, 0);
  EXPECT_FALSE(exitRecord.portOpenAtExit);
  // Stopped part-way: the verification never finished.
  for (const std::string& line : LogLines()) EXPECT_NE(line, "@C4Проверка прошла.");
  EXPECT_FALSE(devices[0]->ApplicationRunning());
}

TEST_F(WindowExitTest, ClosingTheIdleMainWindowAlsoClosesAbout) {
  StartProgram();
  mainMenu[aboutMenuItem].do_callback(menuBar);
  ASSERT_TRUE(aboutWindow->shown());
  mainWindow->do_callback();
  EXPECT_FALSE(mainWindow->shown());
  EXPECT_FALSE(aboutWindow->shown());
  EXPECT_EQ(Fl::first_window(), nullptr);  // the event loop ends
  EXPECT_EQ(questionsAsked, 0);
}

TEST_F(WindowExitTest, EventLoopRunsWhileAnyWindowIsShown) {
  StartProgram();
  mainMenu[aboutMenuItem].do_callback(menuBar);
  static int aboutHiddenByLoop = 0;
  aboutHiddenByLoop = 0;
  // The main window goes first; the About window alone keeps the loop going.
  Fl::add_timeout(0.1, [](void*) { mainWindow->hide(); });
  Fl::add_timeout(0.4, [](void*) {
    aboutHiddenByLoop = 1;
    aboutWindow->hide();
  });
  RunEventLoop();
  EXPECT_EQ(aboutHiddenByLoop, 1);
  EXPECT_EQ(Fl::first_window(), nullptr);
}

TEST_F(WindowExitTest, ClosingTheMainWindowWhileBusyAsksFirst) {
  StartSlowFirmwareLoad();
  operatorAnswer = 0;
  mainWindow->do_callback();
  EXPECT_EQ(questionsAsked, 1);
  EXPECT_TRUE(mainWindow->shown());
  EXPECT_EQ(operationBusy, 1);

  operatorAnswer = 1;
  mainWindow->do_callback();
  EXPECT_EQ(questionsAsked, 2);
  EXPECT_EQ(operationBusy, 0);
  EXPECT_FALSE(comPort.IsOpen());
  EXPECT_FALSE(mainWindow->shown());
  EXPECT_EQ(exitRecord.calls, 0);  // the event loop ends; main returns 0
}

// The real question window: Escape keeps the operation, Enter stops it.
TEST_F(WindowExitTest, QuestionWindowAnswersEscapeWithNoAndEnterWithYes) {
  StartSlowFirmwareLoad();
  askStopAndExit = realQuestion;

  keyForQuestion = FL_Escape;
  Fl::add_timeout(keyDelaySeconds, PressKeyInQuestion);
  exitButton->do_callback();
  EXPECT_EQ(exitRecord.calls, 0);
  EXPECT_EQ(operationBusy, 1);

  keyForQuestion = FL_Enter;
  Fl::add_timeout(keyDelaySeconds, PressKeyInQuestion);
  exitButton->do_callback();
  EXPECT_EQ(exitRecord.calls, 1);
  EXPECT_EQ(exitRecord.busyAtExit, 0);
}

}  // namespace
