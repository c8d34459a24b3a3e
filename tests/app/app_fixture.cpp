#include "tests/app/app_fixture.h"

#include <FL/Fl.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Return_Button.H>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>

#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/program_exit.h"
#include "app/progress_bar.h"
#include "app/save_coefficients.h"
#include "chooser/file_dialog.h"
#include "coeff/coefficient_file.h"
#include "app/window_device.h"
#include "app/window_coefficients.h"
#include "firmware/firmware_images.h"
#include "resources/button_images.h"
#include "tests/support/sim_settings.h"

namespace {

constexpr double pumpStepSeconds = 0.005;
constexpr double dialogPollSeconds = 0.02;
// The file dialogs the program opens: choosing a file to write, naming one to save.
const char* const dialogTitles[] = {"Выберите файл с коэффициентами",
                                    "Сохранить коэффициенты в файл"};

// The program's globals as the first test found them.
struct Defaults {
  int menuFlags[mainMenuItemCount];
  ThreadLauncher launcher;
  ExitFunction exit;
  StopQuestion question;
  ReplaceQuestion replace;
};

Defaults& CompiledDefaults() {
  static Defaults defaults = [] {
    Defaults d{};
    for (int i = 0; i < mainMenuItemCount; ++i) d.menuFlags[i] = mainMenu[i].flags;
    d.launcher = launchThread;
    d.exit = programExit;
    d.question = askStopAndExit;
    d.replace = askReplaceFile;
    return d;
  }();
  return defaults;
}

std::string MissingPath(int k) { return "/nonexistent/velt-test-com" + std::to_string(k); }

void MapPort(int k, const std::string& path) {
  setenv(("VELT_COM" + std::to_string(k)).c_str(), path.c_str(), 1);
}

// Names to give the next dialogs, "" for Cancel; answered from a timer that
// runs inside the dialog's nested event loop.
struct PendingAnswer {
  std::string name;
  std::function<void()> whileOpen;
};
std::deque<PendingAnswer> pendingAnswers;
int dialogsAnswered = 0;

Fl_Window* FindFileDialogWindow() {
  for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w)) {
    if (w->label() == nullptr) continue;
    for (const char* title : dialogTitles) {
      if (std::strcmp(w->label(), title) == 0) return w;
    }
  }
  return nullptr;
}

Fl_Widget* FindChildLabelled(Fl_Group* group, const char* label) {
  for (int i = 0; i < group->children(); ++i) {
    Fl_Widget* child = group->child(i);
    if (child->label() != nullptr && std::strcmp(child->label(), label) == 0) return child;
  }
  return nullptr;
}

void AnswerDialog(void*) {
  Fl_Window* window = FindFileDialogWindow();
  if (pendingAnswers.empty()) return;
  if (window == nullptr || !window->shown()) {
    Fl::repeat_timeout(dialogPollSeconds, AnswerDialog);
    return;
  }
  const PendingAnswer answer = pendingAnswers.front();
  pendingAnswers.pop_front();
  if (answer.whileOpen) answer.whileOpen();
  const std::string& name = answer.name;
  FileDialog* dialog = static_cast<FileDialog*>(window->user_data());
  ++dialogsAnswered;
  if (name.empty()) {
    Fl_Widget* cancel = FindChildLabelled(window, "Отмена");
    ASSERT_NE(cancel, nullptr);
    cancel->do_callback();
  } else {
    dialog->nameField->value(name.c_str());
    dialog->openButton->do_callback();
  }
  if (!pendingAnswers.empty()) Fl::repeat_timeout(dialogPollSeconds, AnswerDialog);
}

}  // namespace

void AnswerNextFileDialog(const std::string& name, const std::function<void()>& whileOpen) {
  pendingAnswers.push_back({name, whileOpen});
  if (!Fl::has_timeout(AnswerDialog)) Fl::add_timeout(dialogPollSeconds, AnswerDialog);
}

void ForgetFileDialogAnswers() {
  pendingAnswers.clear();
  Fl::remove_timeout(AnswerDialog);
}

int FileDialogsAnswered() { return dialogsAnswered; }

std::vector<std::string> AsSplitInTheLog(const std::vector<std::string>& lines) {
  std::vector<std::string> logged;
  for (const std::string& line : lines) {
    const std::vector<std::string> parts = SplitLogLine(line);
    logged.insert(logged.end(), parts.begin(), parts.end());
  }
  return logged;
}

std::string LoggedText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    size_t start = 0;
    // "@C1" or "@C4", and the "@." that ends the codes before a digit.
    while (line.compare(start, 2, "@C") == 0) start += 3;
    if (line.compare(start, 2, "@.") == 0) start += 2;
    text += line.substr(start);
  }
  return text;
}

void AppTest::SetUp() {
  static bool locked = false;
  Defaults& defaults = CompiledDefaults();
  if (!locked) {
    Fl::lock();  // as the entry point: the GUI thread holds it outside Fl::wait
    locked = true;
  }
  AddExtraPortItems({});  // an earlier test's ports would shift the compiled records
  for (int i = 0; i < mainMenuItemCount; ++i) mainMenu[i].flags = defaults.menuFlags[i];
  launchThread = defaults.launcher;
  programExit = defaults.exit;
  askStopAndExit = defaults.question;
  askReplaceFile = defaults.replace;
  operationBusy = 0;
  coefficientsLoaded = 0;
  firmwareTables = BuiltInFirmwareTables();
  InstallGuiLogSink();
  InstallGuiPageSink();
  for (int k = 1; k <= portCount; ++k) MapPort(k, MissingPath(k));
  ASSERT_TRUE(portTree.Ok());
  setenv(portRootVariable, portTree.Root().c_str(), 1);
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  startDirectory = cwd;
}

void AppTest::TearDown() {
  // No worker may outlive the devices it talks to.
  EXPECT_TRUE(WaitIdle()) << "an operation was still running at the end of the test";
  ForgetFileDialogAnswers();
  if (aboutWindow != nullptr) aboutWindow->hide();
  if (mainWindow != nullptr) mainWindow->hide();
  Fl::wait(0);
  comPort.Close();
  if (!workDirectory.empty()) {
    EXPECT_EQ(chdir(startDirectory.c_str()), 0);
    std::string command = "rm -rf '" + workDirectory + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
}

SimOptions AppTest::FastDevice() { return Unpaced(); }

SimOptions AppTest::SlowDevice(int writeLatencyMs) {
  SimOptions options = FastDevice();
  options.writeLatencyMs = writeLatencyMs;
  return options;
}

Simulator& AppTest::AttachDevice(int k, const SimOptions& options) {
  devices[k - 1] = std::make_unique<Simulator>(options);
  EXPECT_TRUE(devices[k - 1]->Ok());
  MapPort(k, devices[k - 1]->DevicePath());
  return *devices[k - 1];
}

void AppTest::DetachDevice(int k) { MapPort(k, MissingPath(k)); }

void AppTest::AttachPorts(const bool* present) {
  for (int k = 1; k <= portCount; ++k) {
    PortMenuItem(k).flags = CompiledDefaults().menuFlags[firstPortMenuItem + k - 1];
    if (present[k - 1]) {
      AttachDevice(k);
    } else {
      DetachDevice(k);
    }
  }
}

Simulator& AppTest::AttachDiscoveredDevice(const std::string& name, const std::string& byId) {
  discoveredDevices.push_back(std::make_unique<Simulator>(FastDevice()));
  Simulator& device = *discoveredDevices.back();
  EXPECT_TRUE(device.Ok());
  portTree.AddPort(name, device.DevicePath());
  portTree.AddById(byId, "../../" + name);
  return device;
}

void AppTest::StartProgram() {
  probePorts();
  if (mainWindow == nullptr) BuildMainWindow();
  logBrowser->clear();
  mainWindow->show();
  PumpUntil([] { return mainWindow->shown() != 0; }, 5);
}

void AppTest::StartSlowFirmwareLoad(int writeLatencyMs) {
  StartOnDevice(SlowDevice(writeLatencyMs));
  loadFirmwareButton->do_callback();
  ASSERT_TRUE(PumpUntil([] { return logBrowser->size() >= 1; }));
}

Simulator& AppTest::StartOnDevice(const SimOptions& options) {
  Simulator& device = AttachDevice(1, options);
  MakeWorkDirectory();
  StartProgram();
  return device;
}

void AppTest::SelectPort(int k) { menuBar->picked(&PortMenuItem(k)); }

void AppTest::SelectExtraPort(int i) { menuBar->picked(&ExtraPortMenuItem(i)); }

void AppTest::OpenFromMenu(const std::string& name, const std::function<void()>& whileOpen) {
  AnswerNextFileDialog(name, whileOpen);
  mainMenu[openMenuItem].do_callback(menuBar);
}

void AppTest::SaveFromMenu(const std::string& name, const std::function<void()>& whileOpen) {
  AnswerNextFileDialog(name, whileOpen);
  mainMenu[saveCoefficientsMenuItem].do_callback(menuBar);
}

bool AppTest::PumpUntil(const std::function<bool()>& done, double seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Fl::wait(pumpStepSeconds);
  }
  return true;
}

void AppTest::PumpFor(double seconds) {
  PumpUntil([] { return false; }, seconds);
}

bool AppTest::WaitIdle(double seconds) {
  return PumpUntil([] { return operationBusy == 0; }, seconds);
}

std::vector<std::string> AppTest::LogLines() {
  std::vector<std::string> lines;
  for (int i = 1; i <= logBrowser->size(); ++i) lines.push_back(logBrowser->text(i));
  return lines;
}

std::string AppTest::LastLogLine() {
  return logBrowser->size() > 0 ? logBrowser->text(logBrowser->size()) : "";
}

bool AppTest::ButtonsShowBusy() {
  return loadFirmwareButton->image() == &loadFirmwareBusyImage &&
         writeCoefficientsButton->image() == &writeCoefficientsBusyImage &&
         resetCoefficientsButton->image() == &resetCoefficientsBusyImage;
}

bool AppTest::ButtonsShowIdle() {
  return loadFirmwareButton->image() == &loadFirmwareImage &&
         writeCoefficientsButton->image() == &writeCoefficientsImage &&
         resetCoefficientsButton->image() == &resetCoefficientsImage;
}

std::string AppTest::MakeWorkDirectory() {
  char pattern[] = "/tmp/velt-app-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  EXPECT_NE(made, nullptr);
  workDirectory = made;
  EXPECT_EQ(chdir(made), 0);
  return workDirectory;
}

std::string AppTest::WriteCoefficientFile(const std::string& name, const std::string& value) {
  std::ofstream out(name, std::ios::binary);
  for (int i = 0; i < coefficientCount; ++i) out << value << "\n";
  return name;
}
