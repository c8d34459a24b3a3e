#include "app/operations.h"

#include <FL/Fl.H>

#include <system_error>
#include <thread>

#include "app/choose_coefficient_file.h"
#include "app/job_recording.h"
#include "app/main_window.h"
#include "app/message_log.h"
#include "app/progress_bar.h"
#include "app/window_coefficients.h"
#include "app/window_device.h"
#include "app/window_firmware.h"
#include "resources/button_images.h"

std::atomic<int> operationBusy{0};
char selectedPort = 0;
std::string selectedDevice;
FirmwareTables firmwareTables{};
Job pendingJob;

namespace {

const char* const portNotSelectedLine = "@C1Порт не выбран.";
const char* const fileNotChosenLine = "@C1Файл не выбран.";
const char* const fileChangedLine = "@C1Файл изменился после выбора: выберите его снова.";
const char* const portNotOpenedText = "Порт не соединился.";
const char* const failedStepPrefix = "@C1Не удалось: ";
const char* const startNotConfirmedLine =
    "@C1Запуск не подтверждён: загрузчик всё ещё отвечает.";
const char* const workerNotStartedLine = "@C1Ошибка!!!.";

void LaunchDetachedThread(void (*worker)()) { std::thread(worker).detach(); }

// The Порт item's name of the chosen port: "COM1", or the discovered
// port's own name ("ttyUSB0", "COM7"), the last part of its device.
std::string ChosenPortName() {
  if (selectedPort != 0) return std::string("COM") + selectedPort;
  const size_t slash = selectedDevice.find_last_of("/\\");
  return slash == std::string::npos ? selectedDevice : selectedDevice.substr(slash + 1);
}

JobPort ChosenPort() {
  return {ChosenPortName(), selectedPort != 0 ? std::string(1, selectedPort) : selectedDevice};
}

// While a job runs the ports must stay as they are: the worker owns the port.
void ShowJobRunning(bool running) {
  if (running) {
    RefreshPortsMenuItem().deactivate();
    ProbeLineMenuItem().deactivate();
  } else {
    RefreshPortsMenuItem().activate();
    ProbeLineMenuItem().activate();
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

Job WindowJobFor(JobKind kind) {
  Job job;
  job.kind = kind;
  job.firmware = firmwareTables;
  job.firmwareRelease = windowFirmwareRelease;
  if (kind == JobKind::write) {
    job.coefficients = coefficientImage;
    job.coefficientsFile = loadedCoefficientFile;
  }
  return job;
}

void StartWorker(void (*worker)(), const Job& job) {
  pendingJob = job;
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

namespace {

// After the procedure's own lines, what they leave unsaid: the step that
// failed and what came back, or that the application did not start.
void ExplainEnd(const JobResult& result) {
  if (result.outcome == JobOutcome::failed && !result.failure.empty()) {
    WorkerSplitLogLine(std::string(failedStepPrefix) + result.failure + ".");
  }
  if (result.outcome == JobOutcome::startNotConfirmed) WorkerSplitLogLine(startNotConfirmedLine);
}

}  // namespace

JobResult RunWindowJob(const Job& job) {
  JobResult result = RunJob(job, ChosenPort(), comPort, windowRun);
  if (result.outcome == JobOutcome::portNotOpened) {
    Log(windowRun, LineKind::failure, portNotOpenedText);
    result.lastLine = portNotOpenedText;
  }
  ExplainEnd(result);
  return result;
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
  StartWorker(loadFirmwareWorker, WindowJobFor(JobKind::firmware));
}

void onWriteCoefficients(Fl_Widget*, void*) {
  if (BeginOperation() != 0) return;
  // Values the file no longer holds are not written: it is asked for again.
  if (coefficientsLoaded && !LoadedFileUnchanged()) {
    AppendSplitLogLine(fileChangedLine);
    coefficientsLoaded = 0;
  }
  if (!coefficientsLoaded) {
    ChooseCoefficientFile();
    if (!coefficientsLoaded) {
      AppendLogLine(fileNotChosenLine);
      operationBusy = 0;
      return;
    }
  }
  StartWorker(writeCoefficientsWorker, WindowJobFor(JobKind::write));
}

void onResetCoefficients(Fl_Widget*, void*) {
  if (BeginOperation() != 0) return;
  StartWorker(resetCoefficientsWorker, WindowJobFor(JobKind::reset));
}

void onOpenCoefficientFile(Fl_Widget*, void*) {
  if (operationBusy) return;
  ChooseCoefficientFile();
}

void loadFirmwareWorker() {
  RecordWindowJob(pendingJob, RunWindowJob(pendingJob));
  FinishOperation();
}

void writeCoefficientsWorker() {
  const JobResult result = RunWindowJob(pendingJob);
  RecordWindowJob(pendingJob, result);
  // A write that reached the device uses the file up; one that never did
  // keeps it for another try.
  if (result.reachedDevice) coefficientsLoaded = 0;
  FinishOperation();
}

void onProbeLine(Fl_Widget*, void*) {
  if (BeginOperation() != 0) return;
  StartWorker(probeLineWorker, WindowJobFor(JobKind::probe));
}

void probeLineWorker() {
  JobResult result;
  {
    const SplitWorkerLines split;
    result = RunWindowJob(pendingJob);
    if (!result.probeAdvice.empty()) Log(windowRun, LineKind::progress, result.probeAdvice.c_str());
  }
  RecordWindowJob(pendingJob, result);
  FinishOperation();
}

void resetCoefficientsWorker() {
  RecordWindowJob(pendingJob, RunWindowJob(pendingJob));
  FinishOperation();
}
