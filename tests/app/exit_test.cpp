// Leaving the program: at once when idle; while an operation runs only after
// the operator agrees, and then only once the worker has let go of the port.
#include <FL/Fl.H>

#include <functional>
#include <string>

#include "app/job_recording.h"
#include "app/main_window.h"
#include "app/operations.h"
#include "app/program_exit.h"
#include "app/window_device.h"
#include "tests/app/app_fixture.h"
#include "tests/app/keys.h"
#include "tests/support/temporary_folder.h"

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
// Each write this long makes a load slow enough to be caught running.
constexpr int exitLatencyMs = 15;
constexpr double keyDelaySeconds = 0.05;

// How the operator answers the real question window.
enum class Answer { enter, escape, closeBox, yes };
Answer answerForQuestion = Answer::escape;

Fl_Window* ShownQuestion() {
  for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w)) {
    if (w != mainWindow && w->shown()) return w;
  }
  return nullptr;
}

// Runs inside the question's own event loop and answers it.
void AnswerQuestionWindow(void*) {
  Fl_Window* question = ShownQuestion();
  if (question == nullptr) {
    Fl::repeat_timeout(keyDelaySeconds, AnswerQuestionWindow);
    return;
  }
  switch (answerForQuestion) {
    case Answer::enter:
      PressKey(question, FL_Enter, 0, "\r");
      break;
    case Answer::escape:
      PressKey(question, FL_Escape, 0, "\x1b");
      break;
    case Answer::closeBox:
      question->do_callback();
      break;
    case Answer::yes:
      for (int i = 0; i < question->children(); ++i) {
        const char* label = question->child(i)->label();
        if (label != nullptr && std::string(label) == "Да") question->child(i)->do_callback();
      }
      break;
  }
}

// Should a question stay up that ought to withdraw itself, the test is not
// left hanging.
constexpr double guardSeconds = 120;
bool guardAnswered = false;
void AnswerAfterTheGuardTime(void*) {
  Fl_Window* question = ShownQuestion();
  if (question == nullptr) return;
  guardAnswered = true;
  PressKey(question, FL_Escape, 0, "\x1b");
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
  Simulator& device = StartOnDevice();
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

// Escape on the idle window would end the program and lose the log; the
// close box still closes it.
TEST_F(WindowExitTest, EscapeLeavesTheWindowOpenTheCloseBoxDoesNot) {
  StartProgram();
  logBrowser->add("@C4x");
  PressKey(mainWindow, FL_Escape, 0, "\x1b");
  EXPECT_TRUE(mainWindow->shown());
  EXPECT_EQ(logBrowser->size(), 1);
  EXPECT_EQ(exitRecord.calls, 0);
  Fl::handle(FL_CLOSE, mainWindow);
  EXPECT_FALSE(mainWindow->shown());
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
  StartSlowFirmwareLoad(exitLatencyMs);
  operatorAnswer = 0;
  for (const auto& [name, trigger] : ExitTriggers()) {
    trigger();
    EXPECT_EQ(exitRecord.calls, 0) << name;
  }
  EXPECT_EQ(questionsAsked, 3);
  EXPECT_EQ(operationBusy, 1);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LastLogLine(), "@C4Запуск.");
}

TEST_F(WindowExitTest, BusyExitAnsweredYesStopsTheWorkerBeforeClosingThePort) {
  StartSlowFirmwareLoad(exitLatencyMs);
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
  StartSlowFirmwareLoad(exitLatencyMs);
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

// The real question window: "Нет" is the default, so Enter, Escape and the
// close box all keep the operation going; only "Да" stops it.
TEST_F(WindowExitTest, QuestionWindowKeepsTheOperationUnlessYesIsChosen) {
  StartSlowFirmwareLoad(exitLatencyMs);
  askStopAndExit = realQuestion;
  const std::pair<const char*, Answer> keepers[] = {
      {"Enter", Answer::enter}, {"Escape", Answer::escape}, {"close box", Answer::closeBox}};
  for (const auto& [name, answer] : keepers) {
    answerForQuestion = answer;
    Fl::add_timeout(keyDelaySeconds, AnswerQuestionWindow);
    exitButton->do_callback();
    EXPECT_EQ(exitRecord.calls, 0) << name;
    EXPECT_EQ(operationBusy, 1) << name;
    EXPECT_EQ(ShownQuestion(), nullptr) << name;
  }
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LastLogLine(), "@C4Запуск.") << "the load ran to its end";

  StartSlowFirmwareLoad(exitLatencyMs);
  answerForQuestion = Answer::yes;
  Fl::add_timeout(keyDelaySeconds, AnswerQuestionWindow);
  exitButton->do_callback();
  EXPECT_EQ(exitRecord.calls, 1);
  EXPECT_EQ(exitRecord.busyAtExit, 0);
  EXPECT_FALSE(devices[0]->ApplicationRunning());
}

// An exit asked for just before the operation ends is not dropped: the
// question withdraws and the program ends, as nothing is left to stop.
TEST_F(WindowExitTest, QuestionWithdrawsItselfWhenTheOperationEndsAndTheExitGoesAhead) {
  StartSlowFirmwareLoad(exitLatencyMs);
  askStopAndExit = realQuestion;
  guardAnswered = false;
  Fl::add_timeout(guardSeconds, AnswerAfterTheGuardTime);
  exitButton->do_callback();
  Fl::remove_timeout(AnswerAfterTheGuardTime);
  EXPECT_FALSE(guardAnswered);
  EXPECT_EQ(operationBusy, 0);
  EXPECT_EQ(exitRecord.calls, 1);
  EXPECT_EQ(ShownQuestion(), nullptr);
  EXPECT_EQ(LastLogLine(), "@C4Запуск.") << "the operation ran to its end";
}

// An exit agreed to while a job runs waits for the job's row; when the row
// is lost the window stays, so that the log's word of it is not lost too.
struct RowAtExit {
  const char* name;
  const char* record;  // in the test's folder; "" for the folder itself
  int exitsAfterYes;
};

class WindowExitRowTest : public WindowExitTest, public ::testing::WithParamInterface<RowAtExit> {};

TEST_P(WindowExitRowTest, BusyExitWaitsForTheRowAndStaysWhenItIsLost) {
  TemporaryFolder folder;
  const std::string name = GetParam().record;
  recordPath = name.empty() ? folder.Path() : folder / name;
  StartSlowFirmwareLoad(exitLatencyMs);
  operatorAnswer = 1;
  exitButton->do_callback();
  EXPECT_EQ(exitRecord.calls, GetParam().exitsAfterYes);
  EXPECT_EQ(operationBusy, 0);
  if (exitRecord.calls == 0) {
    const auto said = [](const std::string& start) {
      for (const std::string& line : LogLines()) {
        if (line.rfind(start, 0) == 0) return true;
      }
      return false;
    };
    EXPECT_TRUE(said("@C1Строка журнала"));
    EXPECT_TRUE(PumpUntil([&] { return said("@C1Журнал работ недоступен."); }));
    exitButton->do_callback();
    EXPECT_EQ(exitRecord.calls, 1) << "a second exit, with nothing running, goes ahead";
  }
  recordPath.clear();
}

INSTANTIATE_TEST_SUITE_P(Rows, WindowExitRowTest,
                         ::testing::Values(RowAtExit{"written", "jobs.csv", 1},
                                           RowAtExit{"recordIsAFolder", "", 0}),
                         [](const ::testing::TestParamInfo<RowAtExit>& info) { return info.param.name; });

}  // namespace
