// Файл → "Сохранить коэффициенты..." against simulated devices.
#include <FL/Fl.H>
#include <FL/Fl_Return_Button.H>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/program_exit.h"
#include "app/save_coefficients.h"
#include "app/window_coefficients.h"
#include "chooser/file_dialog.h"
#include "coeff/coefficient_file.h"
#include "coeff/device_float.h"
#include "tests/app/app_fixture.h"
#include "tests/app/keys.h"
#include "tests/support/file_text.h"
#include "tests/support/loader_log_tables.h"

namespace {

// The read's lines, then the window's own result, split to the log's width.
Lines SavedLog() {
  Lines lines = coefficientsRead;
  for (const std::string& line : SplitLogLine("@C4Коэффициенты сохранены.")) lines.push_back(line);
  return lines;
}
const SimCommand changingKinds[] = {SimCommand::erase, SimCommand::write, SimCommand::control,
                                    SimCommand::null};

// 28 distinct values and the erased filler, as a device holds them.
std::vector<uint8_t> DeviceCoefficients(float scale) {
  std::vector<uint8_t> bytes(128, 0xFF);
  for (int n = 0; n < 28; ++n) {
    const DeviceFloat value = ToDeviceFloat(scale * (n - 10) / 8.0f);
    std::memcpy(bytes.data() + 4 * n, value.bytes, 4);
  }
  return bytes;
}

int replaceAnswer = 0;
int replaceQuestions = 0;
int AnswerReplace(const char*) {
  ++replaceQuestions;
  return replaceAnswer;
}

// The program's own question, kept before the tests answer in its place.
const ReplaceQuestion realReplaceQuestion = askReplaceFile;
constexpr double keyDelaySeconds = 0.05;

// Enter in the real question, once it is shown.
void PressEnterInReplaceQuestion(void*) {
  for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w)) {
    if (w->label() != nullptr && std::strcmp(w->label(), "Сохранить коэффициенты") == 0) {
      PressKey(w, FL_Enter, 0, "\r");
      return;
    }
  }
  Fl::repeat_timeout(keyDelaySeconds, PressEnterInReplaceQuestion);
}

class SaveCoefficientsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    replaceQuestions = 0;
    askReplaceFile = AnswerReplace;
  }
  void TearDown() override {
    Fl::remove_timeout(PressEnterInReplaceQuestion);
    AppTest::TearDown();
  }
  static void ExpectNothingChanged(const Simulator& device) {
    for (SimCommand kind : changingKinds) {
      EXPECT_EQ(device.FramesReceived(kind), 0) << SimCommandName(kind);
    }
  }
};

TEST_F(SaveCoefficientsTest, SavesAFileTheWriteAcceptsWithoutTouchingTheLoadedOne) {
  Simulator& device = StartOnDevice();
  const std::string directory = WorkDirectory();
  const std::vector<uint8_t> onDevice = DeviceCoefficients(1.0f);
  device.SetMemory(1, 0x7000, onDevice);
  WriteCoefficientFile("loaded.koeff", "2.5");
  OpenFromMenu(directory + "/loaded.koeff");
  ASSERT_EQ(coefficientsLoaded, 1);
  uint8_t loadedImage[128];
  std::memcpy(loadedImage, coefficientImage.data(), sizeof loadedImage);

  SaveFromMenu("saved");  // typed without an extension, in the working directory
  EXPECT_EQ(operationBusy, 1);
  EXPECT_TRUE(ButtonsShowBusy());
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(ButtonsShowIdle());
  EXPECT_EQ(LogLines(), SavedLog());
  ExpectNothingChanged(device);
  EXPECT_EQ(coefficientsLoaded, 1) << "the loaded file stays loaded";
  EXPECT_EQ(std::memcmp(coefficientImage.data(), loadedImage, sizeof loadedImage), 0);

  const std::string saved = directory + "/saved.koeff";
  EXPECT_EQ(FileText(saved).substr(0, 17), "-1.25\n-1.125\n-1\n-");
  CoefficientImage savedImage{};
  ASSERT_EQ(ReadCoefficientFile(saved.c_str(), &savedImage), coefficientFileOk);
  EXPECT_EQ(std::vector<uint8_t>(savedImage.begin(), savedImage.end()), onDevice);
}

// The dialog names what its button does; the one of Открыть... keeps its own.
TEST_F(SaveCoefficientsTest, TheSaveDialogConfirmsWithSohranit) {
  StartOnDevice();  // a save asks for its file only with a port to read from
  std::string saveLabel, openLabel;
  const auto confirmLabel = [](std::string* label) {
    for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w)) {
      FileDialog* dialog = static_cast<FileDialog*>(w->user_data());
      if (w->modal() && dialog != nullptr) *label = dialog->openButton->label();
    }
  };
  SaveFromMenu("", [&] { confirmLabel(&saveLabel); });
  OpenFromMenu("", [&] { confirmLabel(&openLabel); });
  EXPECT_EQ(saveLabel, "Сохранить");
  EXPECT_EQ(openLabel, "Открыть");
}

// Replacing cannot be undone: Enter in the question keeps the old file.
TEST_F(SaveCoefficientsTest, EnterInTheReplaceQuestionKeepsTheFile) {
  StartOnDevice();
  const std::string directory = WorkDirectory();
  WriteCoefficientFile("old.koeff", "7");
  const std::string old = FileText("old.koeff");
  askReplaceFile = realReplaceQuestion;
  Fl::add_timeout(keyDelaySeconds, PressEnterInReplaceQuestion);
  SaveFromMenu(directory + "/old.koeff");
  EXPECT_EQ(LogLines(), SplitLogLine("@C1Файл " + directory + "/old.koeff уже есть, не заменён."));
  EXPECT_EQ(FileText("old.koeff"), old);
}

TEST_F(SaveCoefficientsTest, AnExistingFileIsReplacedOnlyWhenTheOperatorAgrees) {
  Simulator& device = StartOnDevice();
  const std::string directory = WorkDirectory();
  device.SetMemory(1, 0x7000, DeviceCoefficients(2.0f));
  WriteCoefficientFile("old.koeff", "7");
  const std::string old = FileText("old.koeff");

  replaceAnswer = 0;
  SaveFromMenu(directory + "/old.koeff");
  EXPECT_EQ(replaceQuestions, 1);
  EXPECT_EQ(LogLines(), SplitLogLine("@C1Файл " + directory + "/old.koeff уже есть, не заменён."));
  EXPECT_EQ(operationBusy, 0);
  EXPECT_TRUE(device.Transcript().empty()) << "the device is not even contacted";
  EXPECT_EQ(FileText("old.koeff"), old);

  logBrowser->clear();
  replaceAnswer = 1;
  SaveFromMenu(directory + "/old.koeff");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LogLines(), SavedLog());
  EXPECT_EQ(FileText("old.koeff").substr(0, 6), "-2.5\n-");
}

TEST_F(SaveCoefficientsTest, RefusalsAndCancelSayWhyInRedAndLeaveNoFile) {
  StartOnDevice();  // erased: every coefficient reads FF FF FF FF
  const std::string directory = WorkDirectory();

  SaveFromMenu("");
  EXPECT_EQ(LogLines(), Lines{"@C1Файл не выбран."});
  EXPECT_EQ(operationBusy, 0);

  logBrowser->clear();
  SaveFromMenu(directory + "/erased.koeff");
  ASSERT_TRUE(WaitIdle());
  const Lines lines = LogLines();
  ASSERT_GT(lines.size(), 3u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 2), coefficientsRead);
  const Lines result(lines.begin() + 2, lines.end());
  for (const std::string& line : result) EXPECT_EQ(line.rfind("@C1", 0), 0u) << line;
  const std::string text = LoggedText(result);
  EXPECT_EQ(text.rfind("Коэффициенты не сохранены:", 0), 0u) << text;
  EXPECT_NE(text.find("похоже, стёрты"), std::string::npos) << text;
  struct stat info;
  EXPECT_NE(stat("erased.koeff", &info), 0);
  EXPECT_NE(stat("velt-save.tmp", &info), 0);
}

// A folder is never replaced: refused before the question and the device,
// as typed ("data") or once it has its extension ("saved" -> saved.koeff).
TEST_F(SaveCoefficientsTest, AFolderIsRefusedAsOne) {
  Simulator& device = StartOnDevice();
  const std::string directory = WorkDirectory();
  replaceAnswer = 1;
  for (const std::string name : {"data", "saved", "old.koeff"}) {
    const std::string folder = directory + "/" + (name == "saved" ? "saved.koeff" : name);
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    logBrowser->clear();
    SaveFromMenu(directory + "/" + name);
    EXPECT_EQ(LogLines(),
              AsSplitInTheLog({"@C1Коэффициенты не сохранены:", "@C1" + folder + ": это папка"}));
  }
  EXPECT_EQ(operationBusy, 0);
  EXPECT_EQ(replaceQuestions, 0);
  EXPECT_TRUE(device.Transcript().empty());
}

int exitCalls = 0;
bool busyAtExit = false;
void RecordExit(int) {
  ++exitCalls;
  busyAtExit = operationBusy != 0;
}
int AgreeToStop() { return 1; }

TEST_F(SaveCoefficientsTest, ExitWhileSavingStopsTheReadAndWritesNoFile) {
  Simulator& device = StartOnDevice(SimOptions{});  // paced at 57600 baud
  const std::string directory = WorkDirectory();
  device.SetMemory(1, 0x7000, DeviceCoefficients(1.0f));
  exitCalls = 0;
  programExit = RecordExit;
  askStopAndExit = AgreeToStop;
  SaveFromMenu(directory + "/late.koeff");
  ASSERT_TRUE(PumpUntil([] { return logBrowser->size() >= 1; }));
  exitButton->do_callback();
  EXPECT_EQ(exitCalls, 1);
  EXPECT_FALSE(busyAtExit) << "the worker let go of the port first";
  EXPECT_EQ(LoggedText(LogLines()).find("Коэффициенты сохранены."), std::string::npos);
  EXPECT_EQ(FileText(directory + "/late.koeff"), "");
  EXPECT_LT(device.FramesReceived(SimCommand::read), 2);
}

}  // namespace
