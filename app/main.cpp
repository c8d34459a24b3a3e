// velt-loader: the operator's window for flashing a ВЕЛТ device.
#include <FL/Fl.H>

#include <cstdio>

#include "app/job_recording.h"
#include "app/main_window.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/progress_bar.h"
#include "app/window_firmware.h"

int main(int argc, char** argv) {
  // The probe runs first so the menu is built from the adjusted table.
  probePorts();
  InstallGuiLogSink();
  InstallGuiPageSink();
  // Held by the GUI thread except inside Fl::wait, so workers can draw.
  if (Fl::lock() != 0) {
    std::fprintf(stderr, "velt-loader: the FLTK library was built without thread support\n");
    return 1;
  }
  BuildMainWindow()->show();
  // The firmware's line comes first: it says what the first button loads.
  LoadWindowFirmware(FirmwareFromArguments(argc, argv));
  SayPortsLeftOut();
  OpenWindowRecord(RecordPathFromArguments(argc, argv));
  RunEventLoop();
  return 0;
}
