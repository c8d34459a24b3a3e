// The three operation buttons end to end against simulated devices.
#include <FL/Fl.H>

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "coeff/coefficient_file.h"
#include "app/window_device.h"
#include "app/window_coefficients.h"
#include "firmware/firmware_images.h"
#include "tests/app/app_fixture.h"
#include "tests/support/image_bytes.h"
#include "tests/support/sim_settings.h"
#include "tests/support/loader_log_tables.h"

namespace {

constexpr uint32_t coefficientPage1 = 0x7000;
constexpr uint32_t coefficientPage2 = 0x7040;

std::vector<uint8_t> CoefficientPages(const Simulator& device) {
  std::vector<uint8_t> memory = device.Memory(1);
  return {memory.begin() + coefficientPage1, memory.begin() + coefficientPage1 + 2 * pageSize};
}

// Presses a button as a click does.
void Press(Fl_Button* button) { button->do_callback(); }

class WindowOperationsTest : public AppTest {};

TEST_F(WindowOperationsTest, FirmwareLoadShowsBusyPicturesIgnoresPressesAndWritesAllThreeControllers) {
  Simulator& device = StartOnDevice();

  Press(loadFirmwareButton);
  EXPECT_EQ(operationBusy, 1);
  EXPECT_TRUE(ButtonsShowBusy());
  // Everything pressed while it runs is ignored without a word.
  Press(loadFirmwareButton);
  Press(writeCoefficientsButton);
  Press(resetCoefficientsButton);
  EXPECT_TRUE(ButtonsShowBusy());

  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LogLines(), firmwareLoaded);
  EXPECT_TRUE(ButtonsShowIdle());
  EXPECT_FALSE(comPort.IsOpen());
  const FirmwareTables tables = BuiltInFirmwareTables();
  EXPECT_EQ(MemoryBytesAtImage(device.Memory(1), *tables[0], 0x2000, 0x7000, firmwareBase),
            ImageBytes(*tables[0], 0x2000, 0x7000, firmwareBase));
  EXPECT_EQ(MemoryBytesAtImage(device.Memory(2), *tables[1], 0x2000, 0x8000, firmwareBase),
            ImageBytes(*tables[1], 0x2000, 0x8000, firmwareBase));
  EXPECT_EQ(MemoryBytesAtImage(device.Memory(3), *tables[2], 0x2000, 0x8000, firmwareBase),
            ImageBytes(*tables[2], 0x2000, 0x8000, firmwareBase));
  EXPECT_TRUE(device.ApplicationRunning());
}

TEST_F(WindowOperationsTest, ResetWritesDefaultsAndKeepsALoadedFileForTheNextWrite) {
  Simulator& device = StartOnDevice();
  ASSERT_EQ(LoadCoefficientFile(WriteCoefficientFile("k.koeff", "2.5").c_str()), 0);
  coefficientsLoaded = 1;

  Press(resetCoefficientsButton);
  EXPECT_TRUE(ButtonsShowBusy());
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LogLines(), coefficientsReset);
  EXPECT_TRUE(ButtonsShowIdle());
  const FirmwareTables tables = BuiltInFirmwareTables();
  EXPECT_EQ(CoefficientPages(device), ImageBytes(*tables[0], 0x7000, 0x7080, firmwareBase));
  EXPECT_EQ(coefficientsLoaded, 1);

  // The file loaded before the reset is written without asking.
  logBrowser->clear();
  const int dialogsBefore = FileDialogsAnswered();
  Press(writeCoefficientsButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore);
  EXPECT_EQ(LogLines(), coefficientsWritten);
  EXPECT_EQ(CoefficientPages(device),
            std::vector<uint8_t>(coefficientImage.begin(), coefficientImage.end()));
}

TEST_F(WindowOperationsTest, WriteWithALoadedFileStartsAtOnceAndUsesTheFileUp) {
  Simulator& device = StartOnDevice();
  ASSERT_EQ(LoadCoefficientFile(WriteCoefficientFile("k.koeff", "1.0").c_str()), 0);
  coefficientsLoaded = 1;

  Press(writeCoefficientsButton);
  EXPECT_EQ(operationBusy, 1);
  EXPECT_TRUE(ButtonsShowBusy());
  Press(loadFirmwareButton);
  ASSERT_TRUE(WaitIdle());

  EXPECT_EQ(LogLines(), coefficientsWritten);
  EXPECT_TRUE(ButtonsShowIdle());
  EXPECT_EQ(coefficientsLoaded, 0);
  std::vector<uint8_t> expected;
  for (int i = 0; i < coefficientCount; ++i) expected.insert(expected.end(), {0x7F, 0, 0, 0});
  expected.insert(expected.end(), 16, 0xFF);
  EXPECT_EQ(CoefficientPages(device), expected);
}

TEST_F(WindowOperationsTest, WriteWithoutAFileAsksForOneThenWritesIt) {
  Simulator& device = StartOnDevice();
  WriteCoefficientFile("half.koeff", "0.5");

  const int dialogsBefore = FileDialogsAnswered();
  AnswerNextFileDialog(WorkDirectory() + "/half.koeff");
  Press(writeCoefficientsButton);
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore + 1);
  ASSERT_TRUE(WaitIdle());

  EXPECT_EQ(LogLines(), coefficientsWritten);
  std::vector<uint8_t> pages = CoefficientPages(device);
  EXPECT_EQ(std::vector<uint8_t>(pages.begin(), pages.begin() + 4),
            (std::vector<uint8_t>{0x7E, 0, 0, 0}));
  EXPECT_EQ(coefficientsLoaded, 0);
}

TEST_F(WindowOperationsTest, CancelledChooserRefusesAndTheNextPressAsksAgain) {
  Simulator& device = StartOnDevice();

  const int dialogsBefore = FileDialogsAnswered();
  AnswerNextFileDialog("");
  Press(writeCoefficientsButton);
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore + 1);
  EXPECT_EQ(LogLines(), Lines{"@C1Файл не выбран."});
  EXPECT_TRUE(ButtonsShowIdle());
  EXPECT_EQ(operationBusy, 0);

  AnswerNextFileDialog("");
  Press(writeCoefficientsButton);
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore + 2);
  EXPECT_EQ(LogLines(), (Lines{"@C1Файл не выбран.", "@C1Файл не выбран."}));
  EXPECT_TRUE(device.Transcript().empty());
}

TEST_F(WindowOperationsTest, UnreadableFileFromTheChooserCountsAsNoFile) {
  StartOnDevice();
  WriteCoefficientFile("long.koeff", "1.0");
  {
    std::ofstream append("long.koeff", std::ios::app);
    append << "letters\n";  // a 29th line: not a loaded file
  }

  AnswerNextFileDialog(WorkDirectory() + "/long.koeff");
  Press(writeCoefficientsButton);
  Lines expected = SplitLogLine("@C1Файл не принят: в файле больше 28 строк.");
  expected.push_back("@C1Файл не выбран.");
  EXPECT_EQ(LogLines(), expected);
  EXPECT_EQ(coefficientsLoaded, 0);
  EXPECT_EQ(operationBusy, 0);
}

TEST_F(WindowOperationsTest, FirmwareButtonIsIgnoredWhileTheWriteChooserIsOpen) {
  StartOnDevice();

  int busyWhileOpen = -1;
  AnswerNextFileDialog("", [&busyWhileOpen] {
    Press(loadFirmwareButton);
    Press(resetCoefficientsButton);
    busyWhileOpen = operationBusy;
  });
  Press(writeCoefficientsButton);

  EXPECT_EQ(busyWhileOpen, 1);
  EXPECT_EQ(LogLines(), Lines{"@C1Файл не выбран."});
  EXPECT_TRUE(ButtonsShowIdle());
}

// A write that fails: the file stays loaded for the next press only when
// the device was never reached. `fault` comes after the probe; `mend` undoes it.
struct FailedWrite {
  const char* name;
  void (*fault)(Simulator& device, ComPort& other);
  void (*mend)(Simulator& device, ComPort& other);
  Lines log;
  const char* explanation;  // the window's own line after the log's, split to its width
  bool fileKept;
};

// A file changed on disk after it was chosen is not written from what it
// held then: the log says so and the file is asked for again.
TEST_F(WindowOperationsTest, AFileChangedSinceItWasChosenIsAskedForAgain) {
  Simulator& device = StartOnDevice();
  const std::string file = WriteCoefficientFile("k.koeff", "1.0");
  ASSERT_EQ(LoadCoefficientFile(file.c_str()), 0);
  WriteCoefficientFile("k.koeff", "2.0");  // the same name, other values

  const int dialogsBefore = FileDialogsAnswered();
  AnswerNextFileDialog(file);
  Press(writeCoefficientsButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore + 1) << "asked for again";
  Lines expected = SplitLogLine("@C1Файл изменился после выбора: выберите его снова.");
  expected.insert(expected.end(), coefficientsWritten.begin(), coefficientsWritten.end());
  EXPECT_EQ(LogLines(), expected);
  CoefficientImage now{};
  ASSERT_EQ(ReadCoefficientFile(file.c_str(), &now), 0);
  EXPECT_EQ(CoefficientPages(device), std::vector<uint8_t>(now.begin(), now.end()))
      << "what the file holds now went out";
}

void PrintTo(const FailedWrite& write, std::ostream* out) { *out << write.name; }

class WindowFailedWriteTest : public AppTest, public ::testing::WithParamInterface<FailedWrite> {};

TEST_P(WindowFailedWriteTest, KeepsTheFileOnlyWhenTheDeviceWasNotReached) {
  const FailedWrite& write = GetParam();
  Simulator& device = StartOnDevice();
  ASSERT_EQ(LoadCoefficientFile(WriteCoefficientFile("k.koeff", "3").c_str()), 0);
  coefficientsLoaded = 1;
  ComPort other;
  ASSERT_NO_FATAL_FAILURE(write.fault(device, other));

  Press(writeCoefficientsButton);
  ASSERT_TRUE(WaitIdle());
  Lines expected = write.log;
  if (*write.explanation != '\0') {
    for (const std::string& part : SplitLogLine(write.explanation)) expected.push_back(part);
  }
  EXPECT_EQ(LogLines(), expected);
  EXPECT_TRUE(ButtonsShowIdle());
  EXPECT_EQ(coefficientsLoaded, write.fileKept);

  // With the fault mended, a kept file goes out without asking; a used one is asked for.
  write.mend(device, other);
  logBrowser->clear();
  if (!write.fileKept) AnswerNextFileDialog("");
  const int dialogsBefore = FileDialogsAnswered();
  Press(writeCoefficientsButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore + !write.fileKept);
  EXPECT_EQ(LogLines(), write.fileKept ? coefficientsWritten : Lines{"@C1Файл не выбран."});
  EXPECT_EQ(coefficientsLoaded, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Window, WindowFailedWriteTest,
    ::testing::Values(
        FailedWrite{"PortThatCannotBeOpenedKeepsTheLoadedFile",
                    // Held by another program after the probe.
                    [](Simulator& device, ComPort& other) {
                      ASSERT_EQ(other.OpenDevice(device.DevicePath().c_str()), 0);
                    },
                    [](Simulator&, ComPort& other) { other.Close(); },
                    {"@C1Порт не соединился."}, "", true},
        FailedWrite{"SilentDeviceKeepsTheLoadedFile",
                    [](Simulator& device, ComPort&) {
                      device.SetFaults(Faults([](SimFaults& f) { f.silent = true; }));
                    },
                    [](Simulator& device, ComPort&) { device.SetFaults(SimFaults{}); },
                    {"@C1Не отвечает."}, "", true},
        FailedWrite{"WriteThatFailsVerificationForgetsTheFile",
                    [](Simulator& device, ComPort&) {
                      device.SetFaults(Faults([](SimFaults& f) {
                        f.badReadController = 1;
                        f.badReadPage = coefficientPage2;
                      }));
                    },
                    [](Simulator&, ComPort&) {}, coefficientsNotVerified,
                    "@C1Не удалось: проверка страницы 0x7040 контроллера 1: прочитано не то, "
                    "что записано.",
                    false},
        FailedWrite{"StartNotConfirmedSaysSoAndUsesTheFile",
                    [](Simulator& device, ComPort&) {
                      device.SetFaults(Faults([](SimFaults& f) { f.ignoreLaunch = true; }));
                    },
                    [](Simulator& device, ComPort&) { device.SetFaults(SimFaults{}); },
                    {"@C4Запись коэффициентов.", "@C4Коэффициенты прошились.", "@C4Проверка.",
                     "@C4Проверка прошла."},
                    "@C1Запуск не подтверждён: загрузчик всё ещё отвечает.", false}),
    [](const ::testing::TestParamInfo<FailedWrite>& info) { return info.param.name; });

TEST_F(WindowOperationsTest, ClearingTheLogWhileAnOperationRunsEmptiesItAtOnce) {
  ASSERT_NO_FATAL_FAILURE(StartSlowFirmwareLoad(5));
  mainMenu[clearMenuItem].do_callback(menuBar);
  EXPECT_EQ(logBrowser->size(), 0);
  ASSERT_TRUE(WaitIdle());
  Lines lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "@C4Запуск.");
  EXPECT_EQ(lines.front().rfind("@C4", 0), 0u);
  EXPECT_LT(lines.size(), firmwareLoaded.size());
}

TEST_F(WindowOperationsTest, WorkerThatCannotStartReportsAndReturnsToIdle) {
  Simulator& device = StartOnDevice();
  launchThread = [](void (*)()) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };

  Press(resetCoefficientsButton);
  EXPECT_EQ(LogLines(), Lines{"@C1Ошибка!!!."});
  EXPECT_EQ(operationBusy, 0);
  EXPECT_TRUE(ButtonsShowIdle());
  EXPECT_TRUE(device.Transcript().empty());
}

TEST_F(WindowOperationsTest, OpenMenuItemIsIgnoredWhileAnOperationRunsAndLoadsAFileOtherwise) {
  StartOnDevice(SlowDevice(2));
  const std::string directory = WorkDirectory();
  WriteCoefficientFile("k.koeff", "4");

  Press(loadFirmwareButton);
  const int dialogsBefore = FileDialogsAnswered();
  // Were a dialog opened after all, this answer would close it.
  OpenFromMenu(directory + "/k.koeff");  // while busy
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore);
  EXPECT_EQ(coefficientsLoaded, 0);
  ForgetFileDialogAnswers();

  OpenFromMenu(directory + "/k.koeff");
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore + 1);
  EXPECT_EQ(coefficientsLoaded, 1);
}

TEST_F(WindowOperationsTest, WorkerLinesAreAllKeptAndDoNotScrollTheLog) {
  StartProgram();
  constexpr int lineCount = 300;
  std::thread worker([] {
    for (int i = 0; i < lineCount; ++i) logMessage("@C4Строка");
  });
  ASSERT_TRUE(PumpUntil([] { return logBrowser->size() == lineCount; }, 30));
  worker.join();
  Fl::wait(0.05);
  EXPECT_TRUE(logBrowser->displayed(1));
  EXPECT_FALSE(logBrowser->displayed(lineCount));
}

}  // namespace
