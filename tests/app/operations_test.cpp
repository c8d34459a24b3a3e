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
#include "loader/firmware/firmware_images.h"
#include "tests/app/app_fixture.h"
#include "tests/support/image_bytes.h"

namespace {

using Lines = std::vector<std::string>;

const Lines firmwareLoaded = {
    "@C4Контроллер 1 - запись", "@C4Контроллер 2 - запись", "@C4Контроллер 3 - запись",
    "@C4Контроллеры загружены.", "@C4Контроллер 1 - проверка", "@C4Контроллер 2 - проверка",
    "@C4Контроллер 3 - проверка", "@C4Проверка прошла.", "@C4Запуск."};
const Lines coefficientsWritten = {"@C4Запись коэффициентов.", "@C4Коэффициенты прошились.",
                                   "@C4Проверка.", "@C4Проверка прошла.", "@C4Запуск."};
const Lines coefficientsReset = {"@C4Сброс коэффициентов.", "@C4Коэффициенты сброшены.",
                                 "@C4Проверка.", "@C4Проверка прошла.", "@C4Запуск."};

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
  Simulator& device = AttachDevice(1);
  StartProgram();

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
  Simulator& device = AttachDevice(1);
  MakeWorkDirectory();
  ASSERT_EQ(ReadCoefficientFile(WriteCoefficientFile("k.koeff", "2.5").c_str()), 0);
  coefficientsLoaded = 1;
  StartProgram();

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
            std::vector<uint8_t>(coefficientImage, coefficientImage + coefficientImageSize));
}

TEST_F(WindowOperationsTest, WriteWithALoadedFileStartsAtOnceAndUsesTheFileUp) {
  Simulator& device = AttachDevice(1);
  MakeWorkDirectory();
  ASSERT_EQ(ReadCoefficientFile(WriteCoefficientFile("k.koeff", "1.0").c_str()), 0);
  coefficientsLoaded = 1;
  StartProgram();

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
  Simulator& device = AttachDevice(1);
  const std::string directory = MakeWorkDirectory();
  WriteCoefficientFile("half.koeff", "0.5");
  StartProgram();

  const int dialogsBefore = FileDialogsAnswered();
  AnswerNextFileDialog(directory + "/half.koeff");
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
  Simulator& device = AttachDevice(1);
  MakeWorkDirectory();
  StartProgram();

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
  AttachDevice(1);
  const std::string directory = MakeWorkDirectory();
  WriteCoefficientFile("long.koeff", "1.0");
  {
    std::ofstream append("long.koeff", std::ios::app);
    append << "letters\n";  // a 29th line: not a loaded file
  }
  StartProgram();

  AnswerNextFileDialog(directory + "/long.koeff");
  Press(writeCoefficientsButton);
  Lines expected = SplitLogLine("@C1Файл не принят: в файле больше 28 строк.");
  expected.push_back("@C1Файл не выбран.");
  EXPECT_EQ(LogLines(), expected);
  EXPECT_EQ(coefficientsLoaded, 0);
  EXPECT_EQ(operationBusy, 0);
}

TEST_F(WindowOperationsTest, FirmwareButtonIsIgnoredWhileTheWriteChooserIsOpen) {
  AttachDevice(1);
  MakeWorkDirectory();
  StartProgram();

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

TEST_F(WindowOperationsTest, PortThatCannotBeOpenedKeepsTheLoadedFile) {
  Simulator& device = AttachDevice(1);
  MakeWorkDirectory();
  ASSERT_EQ(ReadCoefficientFile(WriteCoefficientFile("k.koeff", "3").c_str()), 0);
  coefficientsLoaded = 1;
  StartProgram();
  // Held by another program after the probe.
  ComPort other;
  ASSERT_EQ(other.OpenDevice(device.DevicePath().c_str()), 0);

  Press(writeCoefficientsButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LogLines(), Lines{"@C1Порт не соединился."});
  EXPECT_TRUE(ButtonsShowIdle());
  EXPECT_EQ(coefficientsLoaded, 1);
  EXPECT_EQ(cm.noContact, 1);

  // Once the port is free the same file goes out without asking.
  other.Close();
  logBrowser->clear();
  Press(writeCoefficientsButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LogLines(), coefficientsWritten);
  EXPECT_EQ(coefficientsLoaded, 0);
}

TEST_F(WindowOperationsTest, SilentDeviceKeepsTheLoadedFile) {
  Simulator& device = AttachDevice(1);
  MakeWorkDirectory();
  ASSERT_EQ(ReadCoefficientFile(WriteCoefficientFile("k.koeff", "3").c_str()), 0);
  coefficientsLoaded = 1;
  SimFaults silent;
  silent.silent = true;
  device.SetFaults(silent);
  StartProgram();

  Press(writeCoefficientsButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LogLines(), Lines{"@C1Не отвечает."});
  EXPECT_EQ(coefficientsLoaded, 1);
  EXPECT_TRUE(ButtonsShowIdle());

  device.SetFaults(SimFaults{});
  logBrowser->clear();
  const int dialogsBefore = FileDialogsAnswered();
  Press(writeCoefficientsButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore);
  EXPECT_EQ(LogLines(), coefficientsWritten);
}

TEST_F(WindowOperationsTest, WriteThatFailsVerificationForgetsTheFile) {
  Simulator& device = AttachDevice(1);
  MakeWorkDirectory();
  ASSERT_EQ(ReadCoefficientFile(WriteCoefficientFile("k.koeff", "3").c_str()), 0);
  coefficientsLoaded = 1;
  SimFaults badRead;
  badRead.badReadController = 1;
  badRead.badReadPage = coefficientPage2;
  device.SetFaults(badRead);
  StartProgram();

  Press(writeCoefficientsButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(LogLines(), (Lines{"@C4Запись коэффициентов.", "@C4Коэффициенты прошились.",
                               "@C4Проверка.", "@C1Ошибка!!!."}));
  EXPECT_EQ(coefficientsLoaded, 0);
  EXPECT_TRUE(ButtonsShowIdle());

  // The next press asks for a file again.
  logBrowser->clear();
  AnswerNextFileDialog("");
  const int dialogsBefore = FileDialogsAnswered();
  Press(writeCoefficientsButton);
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore + 1);
  EXPECT_EQ(LogLines(), Lines{"@C1Файл не выбран."});
}

TEST_F(WindowOperationsTest, ClearingTheLogWhileAnOperationRunsEmptiesItAtOnce) {
  SimOptions slow = FastDevice();
  slow.writeLatencyMs = 5;
  AttachDevice(1, slow);
  StartProgram();

  Press(loadFirmwareButton);
  ASSERT_TRUE(PumpUntil([] { return logBrowser->size() >= 1; }));
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
  Simulator& device = AttachDevice(1);
  StartProgram();
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
  SimOptions slow = FastDevice();
  slow.writeLatencyMs = 2;
  AttachDevice(1, slow);
  const std::string directory = MakeWorkDirectory();
  WriteCoefficientFile("k.koeff", "4");
  StartProgram();

  Press(loadFirmwareButton);
  const int dialogsBefore = FileDialogsAnswered();
  // Were a dialog opened after all, this answer would close it.
  AnswerNextFileDialog(directory + "/k.koeff");
  mainMenu[openMenuItem].do_callback(menuBar);  // while busy
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(FileDialogsAnswered(), dialogsBefore);
  EXPECT_EQ(coefficientsLoaded, 0);
  ForgetFileDialogAnswers();

  AnswerNextFileDialog(directory + "/k.koeff");
  mainMenu[openMenuItem].do_callback(menuBar);
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
