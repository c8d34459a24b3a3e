#include "app/program_exit.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <cstdlib>

#include "app/job_recording.h"
#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/question_window.h"
#include "app/window_device.h"
#include "loader/procedures.h"

namespace {

constexpr double stopPollSeconds = 0.03;
const char* const exitHeldLine =
    "@C1Строка журнала работ не записана, поэтому программа не закрыта.";

int AskOperator() {
  return AskQuestion("Выход", "Идёт операция с устройством.\nОстановить её и выйти?",
                     [] { return operationBusy != 0; });
}

void ExitProcess(int status) { std::exit(status); }

bool stopping = false;

// True when the program may end now: nothing runs, or the operator agreed
// to stop the operation and the worker has let go of the port.
bool ReadyToLeave() {
  if (stopping) return false;  // a second request while the first one waits
  if (!operationBusy) return true;
  stopping = true;
  // A question withdrawn because the operation ended leaves nothing to stop:
  // the exit asked for goes ahead.
  const int lostBefore = LostRowCount();
  const int answer = askStopAndExit();
  bool leave = answer == questionYes || answer == questionWithdrawn;
  if (leave) {
    while (operationBusy) {
      // Repeated: a worker that is only just starting clears the request
      // it finds.
      windowRun.stopRequested = true;
      Fl::wait(stopPollSeconds);
    }
    // The job's row waited for the record and was lost: ending now would
    // take the only word of it, the log, with the window.
    if (LostRowCount() != lostBefore) {
      AppendSplitLogLine(exitHeldLine);
      leave = false;
    }
  }
  stopping = false;
  return leave;
}

}  // namespace

ExitFunction programExit = ExitProcess;
StopQuestion askStopAndExit = AskOperator;

void exitProgram(Fl_Widget*, void*) {
  if (!ReadyToLeave()) return;
  comPort.Close();
  programExit(0);
}

void closeMainWindow(Fl_Widget*, void*) {
  // FLTK closes a window on Escape; here that would end the program without
  // a question and lose the log. The close box, the menu and the button stay.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  if (!ReadyToLeave()) return;
  if (aboutWindow != nullptr) aboutWindow->hide();
  mainWindow->hide();
}
