// Choosing a coefficient file in the window: a refused file is named with its
// reason, Cancel says nothing, and an earlier file stays loaded.
#include <FL/Fl.H>

#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/window_coefficients.h"
#include "coeff/coefficient_file.h"
#include "tests/app/app_fixture.h"

namespace {

using Lines = std::vector<std::string>;

const char* const earlierFileKept = "@C1Загружен прежний файл.";

std::string Numbered(int count) {
  std::string text;
  for (int n = 1; n <= count; ++n) text += std::to_string(n) + "\n";
  return text;
}

class CoefficientChoiceTest : public AppTest {
 protected:
  std::string WriteText(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
    return directory + "/" + name;
  }

  std::string directory;
};

struct Refusal {
  const char* what;
  std::string text;  // the file's content; written unless the name is missing
  std::string line;  // the reason line
};

const std::vector<Refusal>& Refusals() {
  static const std::vector<Refusal> refusals = {
      {"missing", "", "@C1Файл не принят: файл не открывается."},
      {"letters", "1\n2\nтри\n" + Numbered(25), "@C1Файл не принят: в строке 3 нет числа."},
      {"decimal comma", Numbered(7) + "0,125\n" + Numbered(20),
       "@C1Файл не принят: в строке 8 нет числа."},
      {"nan", Numbered(27) + "nan\n", "@C1Файл не принят: в строке 28 нет числа."},
      {"thousands", "1\n2\n1 000,5\n" + Numbered(25),
       "@C1Файл не принят: в строке 3 число записано с запятой или пробелами внутри: "
       "используйте точку (1000.5)."},
      {"short", Numbered(27), "@C1Файл не принят: в файле меньше 28 строк (прочитано 27)."},
      {"long", Numbered(29), "@C1Файл не принят: в файле больше 28 строк."},
      {"empty", "", "@C1Файл не принят: файл пуст."},
  };
  return refusals;
}

TEST_F(CoefficientChoiceTest, ARefusedFileIsNamedWithItsReasonAndCancelIsSilent) {
  directory = MakeWorkDirectory();
  StartProgram();
  for (const Refusal& refusal : Refusals()) {
    const std::string name = std::string(refusal.what) == "missing"
                                 ? directory + "/missing.koeff"
                                 : WriteText(std::string(refusal.what) + ".koeff", refusal.text);
    logBrowser->clear();
    OpenFromMenu(name);
    EXPECT_EQ(LogLines(), SplitLogLine(refusal.line)) << refusal.what;
    EXPECT_EQ(coefficientsLoaded, 0) << refusal.what;
  }
  logBrowser->clear();
  OpenFromMenu("");
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(CoefficientChoiceTest, AnEarlierFileStaysLoadedAndTheLogSaysSo) {
  directory = MakeWorkDirectory();
  const std::string good = directory + "/" + WriteCoefficientFile("good.koeff", "2.5");
  StartProgram();
  OpenFromMenu(good);
  ASSERT_EQ(coefficientsLoaded, 1);
  EXPECT_TRUE(LogLines().empty());
  const std::vector<uint8_t> image(coefficientImage.begin(), coefficientImage.end());

  const Refusal& comma = Refusals()[2];
  OpenFromMenu(WriteText("comma.koeff", comma.text));
  EXPECT_EQ(LogLines(), AsSplitInTheLog({comma.line, earlierFileKept}));
  EXPECT_EQ(coefficientsLoaded, 1);
  EXPECT_EQ(std::vector<uint8_t>(coefficientImage.begin(), coefficientImage.end()), image);

  logBrowser->clear();
  OpenFromMenu("");
  EXPECT_TRUE(LogLines().empty()) << "Cancel says nothing, loaded file or not";
}

TEST_F(CoefficientChoiceTest, TheWriteButtonNamesTheReasonBeforeItsOwnLine) {
  StartOnDevice();
  directory = WorkDirectory();
  const Refusal& letters = Refusals()[1];
  AnswerNextFileDialog(WriteText("letters.koeff", letters.text));
  writeCoefficientsButton->do_callback();
  Lines expected = SplitLogLine(letters.line);
  expected.push_back("@C1Файл не выбран.");
  EXPECT_EQ(LogLines(), expected);
  EXPECT_EQ(operationBusy, 0);
  EXPECT_TRUE(devices[0]->Transcript().empty());
}

}  // namespace
