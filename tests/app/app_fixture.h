// A main window driven in-process: the four COM ports mapped to simulated
// devices or to paths that do not exist, the toolkit lock held as the GUI
// thread holds it, and helpers to pump events and read the log.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/simulator.h"
#include "tests/support/fake_port_tree.h"

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Port k (1..4) leads to a fresh simulated device, which is returned.
  Simulator& AttachDevice(int k, const SimOptions& options = FastDevice());
  // Port k leads nowhere: opening it fails.
  void DetachDevice(int k);
  // Each of COM 1-4 leads to a fresh device where `present` says so, else
  // nowhere; their menu items as compiled, for a probe to start from.
  void AttachPorts(const bool* present);
  // A port the listing finds (ttyUSB-like, with a by-id name) that leads to a
  // fresh simulated device; it shows after COM 4 at the next StartProgram.
  Simulator& AttachDiscoveredDevice(const std::string& name, const std::string& byId);
  // Probes the ports and builds the window, as the entry point does.
  void StartProgram();
  // What most window tests begin with: COM 1 on a fresh device, a working
  // directory of its own, and the program started. Returns the device.
  Simulator& StartOnDevice(const SimOptions& options = FastDevice());

  // StartOnDevice(SlowDevice(writeLatencyMs)) and the firmware load pressed;
  // returns once the load has logged its first line.
  void StartSlowFirmwareLoad(int writeLatencyMs);

  // Picks Порт item k as the operator would.
  void SelectPort(int k);
  // Picks the i-th (0-based) discovered port after COM 4.
  void SelectExtraPort(int i);
  // Файл → Открыть... or Сохранить коэффициенты..., the dialog answered with
  // `name` ("" for Cancel) after `whileOpen`, as AnswerNextFileDialog does.
  static void OpenFromMenu(const std::string& name,
                           const std::function<void()>& whileOpen = nullptr);
  static void SaveFromMenu(const std::string& name,
                           const std::function<void()>& whileOpen = nullptr);

  // Pumps events until `done` holds; false after `seconds`.
  static bool PumpUntil(const std::function<bool()>& done, double seconds = 60);
  // Pumps events for the whole of `seconds`.
  static void PumpFor(double seconds);
  // Waits for the running operation to end.
  static bool WaitIdle(double seconds = 60);

  static std::vector<std::string> LogLines();
  // The log's last line, "" when it is empty.
  static std::string LastLogLine();
  static bool ButtonsShowBusy();
  static bool ButtonsShowIdle();

  static SimOptions FastDevice();
  // A fast device whose writes each take `writeLatencyMs`: slow enough to be caught running.
  static SimOptions SlowDevice(int writeLatencyMs);

  // A directory of its own as the working directory, for the file chooser.
  std::string MakeWorkDirectory();
  const std::string& WorkDirectory() const { return workDirectory; }
  // Writes a coefficient file of 28 lines of `value` into the working directory.
  std::string WriteCoefficientFile(const std::string& name, const std::string& value);

  std::array<std::unique_ptr<Simulator>, 4> devices;
  // What the port listing sees: empty unless a test adds to it, so that no
  // test ever lists (and opens) the machine's own ports.
  FakePortTree portTree;
  std::vector<std::unique_ptr<Simulator>> discoveredDevices;

 private:
  std::string workDirectory;
  std::string startDirectory;
};

// The window's own lines (beyond the procedures') as the log holds them,
// split to its width, one after the other.
std::vector<std::string> AsSplitInTheLog(const std::vector<std::string>& lines);

// The text of log lines without their format codes, one after the other:
// what the operator reads, the split lines joined again.
std::string LoggedText(const std::vector<std::string>& lines);

// Answers the next file dialog from inside its nested event loop: chooses
// `name` (put into its name field, then Open), or cancels when empty.
// `whileOpen` runs first, while the dialog is still up.
void AnswerNextFileDialog(const std::string& name,
                          const std::function<void()>& whileOpen = nullptr);
// Drops the answers no dialog has taken.
void ForgetFileDialogAnswers();
// How many file dialogs have been answered so far.
int FileDialogsAnswered();
