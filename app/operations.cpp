#include "app/operations.h"

#include <FL/Fl.H>

#include <system_error>
#include <thread>

#include "app/choose_coefficient_file.h"
#include "app/job_recording.h"
#include "app/main_window.h"
#include "app/message_log.h"
#include "app/progress_bar.h"
#include "cli/exit_status.h"
#include "coeff/coefficient_file.h"
#include "firmware/firmware_images.h"
#include "app/window_device.h"
#include "record/job_identity.h"
#include "resources/button_images.h"

std::atomic<int> operationBusy{0};
char selectedPort = 0;
std::string selectedDevice;
FirmwareTables firmwareTables{};

namespace {

const char* const portNotSelectedLine = "@C1Порт не выбран.";
const char* const fileNotChosenLine = "@C1Файл не выбран.";
const char* const portNotOpenedLine = "@C1Порт не соединился.";
const char* const workerNotStartedLine = "@C1Ошибка!!!.";

void LaunchDetachedThread(void (*worker)()) { std::thread(worker).detach(); }

// While a job runs the ports must stay as they are: the worker owns the port.
void ShowJobRunning(bool running) {
  if (running) {
    RefreshPortsMenuItem().deactivate();
  } else {
    RefreshPortsMenuItem().activate();
    HideJobProgress();
  }
}

void ShowButtonImages(bool busy) {
  loadFirmwareButton->image(busy ? &loadFirmwareBusyImage : &loadFirmwareImage);
  writeCoefficientsButton->image(busy ? &writeCoefficientsBusyImage : &writeCoefficientsImage);
  resetCoefficientsButton->image(busy ? &resetCoefficientsBusyImage : &resetCoefficientsImage);
  loadFirmwareButton->redraw();
  writeCoefficientsButton->redraw();
  resetCoefficientsButton->redraw();
}

}  // namespace

// Steps 1-3 shared by the three buttons: 0 when the operation may go on.
int BeginOperation() {
  if (operationBusy) return -1;  // pressed while busy: ignored without a word
  operationBusy = 1;
  if (checkPortSelected() != 0) {
    operationBusy = 0;
    return -1;
  }
  return 0;
}

void StartWorker(void (*worker)(), WindowJob job) {
  windowRun.stopRequested = false;
  ShowButtonImages(true);
  ShowJobProgress(mainWindow, JobPages(job));
  ShowJobRunning(true);
  try {
    launchThread(worker);
  } catch (const std::system_error&) {
    // Without a thread nobody would ever clear the busy state.
    AppendLogLine(workerNotStartedLine);
    ShowButtonImages(false);
    ShowJobRunning(false);
    operationBusy = 0;
  }
}

// Opens the chosen port for a worker; logs when it cannot.
int OpenSelectedPort() {
  const int opened = selectedPort != 0 ? comPort.Open(selectedPort)
                                       : comPort.OpenDevice(selectedDevice.c_str());
  if (opened == 0) return 0;
  Log(windowRun, portNotOpenedLine);
  return -1;
}

// The worker's last steps, on every path.
void FinishOperation() {
  Fl::lock();
  ShowButtonImages(false);
  ShowJobRunning(false);
  Fl::unlock();
  Fl::awake(loadFirmwareButton);
  Fl::awake(writeCoefficientsButton);
  Fl::awake(resetCoefficientsButton);
  operationBusy = 0;
}

ThreadLauncher launchThread = LaunchDetachedThread;

int checkPortSelected() {
  selectedPort = 0;
  selectedDevice.clear();
  for (int k = 1; k <= portCount; ++k) {
    if (PortMenuItem(k).value()) selectedPort = static_cast<char>('0' + k);
  }
  for (int i = 0; i < ExtraPortCount(); ++i) {
    if (ExtraPortMenuItem(i).value()) selectedDevice = ExtraPortDevice(i);
  }
  if (selectedPort != 0 || !selectedDevice.empty()) return 0;
  AppendLogLine(portNotSelectedLine);
  return -1;
}

void onLoadFirmware(Fl_Widget*, void*) {
  if (BeginOperation() != 0) return;
  StartWorker(loadFirmwareWorker, WindowJob::loadFirmware);
}

void onWriteCoefficients(Fl_Widget*, void*) {
  if (BeginOperation() != 0) return;
  if (!coefficientsLoaded) {
    ChooseCoefficientFile();
    if (!coefficientsLoaded) {
      AppendLogLine(fileNotChosenLine);
      operationBusy = 0;
      return;
    }
  }
  StartWorker(writeCoefficientsWorker, WindowJob::writeCoefficients);
}

void onResetCoefficients(Fl_Widget*, void*) {
  if (BeginOperation() != 0) return;
  StartWorker(resetCoefficientsWorker, WindowJob::resetCoefficients);
}

void onOpenCoefficientFile(Fl_Widget*, void*) {
  if (operationBusy) return;
  ChooseCoefficientFile();
}

void loadFirmwareWorker() {
  WindowJobRecord record("firmware", "", "");
  if (OpenSelectedPort() == 0) {
    record.Finish(LoadFirmware(windowRun, firmwareTables));
    comPort.Close();
  } else {
    record.Finish(outcomePortNotOpened, exitPortUnusable);
  }
  FinishOperation();
}

void writeCoefficientsWorker() {
  WindowJobRecord record("write", CoefficientsSha256(coefficientTable, coefficientBase),
                         loadedCoefficientFile);
  if (OpenSelectedPort() == 0) {
    record.Finish(WriteCoefficients(windowRun, coefficientTable));
    comPort.Close();
  } else {
    cm.noContact = 1;
    record.Finish(outcomePortNotOpened, exitPortUnusable);
  }
  // A write that reached the device uses the file up; one that never did
  // keeps it for another try.
  if (!cm.noContact) coefficientsLoaded = 0;
  FinishOperation();
}

void resetCoefficientsWorker() {
  WindowJobRecord record("reset", CoefficientsSha256(*firmwareTables[0], firmwareBase), "");
  if (OpenSelectedPort() == 0) {
    record.Finish(ResetCoefficients(windowRun, firmwareTables));
    comPort.Close();
  } else {
    record.Finish(outcomePortNotOpened, exitPortUnusable);
  }
  FinishOperation();
}
