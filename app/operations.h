// The three operation buttons: the checks before an operation starts, the
// worker threads that run a procedure with the port open, and the busy
// pictures. At most one operation runs at a time.
#pragma once

#include <FL/Fl_Widget.H>

#include <atomic>
#include <string>

#include "loader/procedures.h"
#include "runner/job.h"
#include "runner/run_job.h"

// An operation is being started or is running. Set on the GUI thread by a
// button, cleared by the worker as its very last act.
extern std::atomic<int> operationBusy;
// Port digit '1'..'4' of the chosen Порт item, or 0; written before the
// worker starts, read by it once.
extern char selectedPort;
// The device of the chosen discovered port (selectedPort is then 0), or "";
// written and read as selectedPort is.
extern std::string selectedDevice;
// The built-in images, set up by the entry point before the window opens.
extern FirmwareTables firmwareTables;

// Starts a worker detached. May throw std::system_error like std::thread;
// tests put a failing one here.
using ThreadLauncher = void (*)(void (*worker)());
extern ThreadLauncher launchThread;

// Sets selectedPort or selectedDevice from the menu; 0, or -1 after logging
// that none is chosen.
int checkPortSelected();

void onLoadFirmware(Fl_Widget*, void*);
void onWriteCoefficients(Fl_Widget*, void*);
void onResetCoefficients(Fl_Widget*, void*);
// Порт → "Проверить линию": the line probe on the chosen port, its lines in
// the log; greyed while a job runs.
void onProbeLine(Fl_Widget*, void*);

// "Открыть..." in the Файл menu; ignored while an operation runs, so that a
// running write's image never changes under it.
void onOpenCoefficientFile(Fl_Widget*, void*);

// The parts every operation shares, for the Файл menu's save as well.
// 0 when the operation may start: not busy (then it is now), a port chosen.
int BeginOperation();
// The window's job of that kind, with the window's own images and file.
Job WindowJobFor(JobKind kind);
// The job the worker runs: written by StartWorker before the worker starts,
// read by it.
extern Job pendingJob;
// Busy pictures and the progress bar for `job`, "Обновить список" and
// "Проверить линию" greyed, then the worker on a thread of its own, with the
// job as pendingJob.
void StartWorker(void (*worker)(), const Job& job);
// For a worker: the job on the chosen port, through the runner; says in the
// log when the port cannot be opened.
JobResult RunWindowJob(const Job& job);
// A worker's last steps, on every path: idle pictures, the bar gone,
// "Обновить список" and "Проверить линию" usable again, operationBusy cleared.
void FinishOperation();

void loadFirmwareWorker();
void writeCoefficientsWorker();
void resetCoefficientsWorker();
void probeLineWorker();
