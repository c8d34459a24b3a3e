// Prints where the main window and the file dialog put their parts, as the
// program builds them, in the NAME=VALUE form and the names of
// scripts/lib/window-geometry.sh, which the scripts that click and measure
// the window read instead.
#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_File_Input.H>

#include <cstdio>
#include <iterator>
#include <string>

#include "app/main_window.h"
#include "app/progress_bar.h"
#include "chooser/file_dialog.h"

namespace {

void Print(const std::string& name, int value) { std::printf("%s=%d\n", name.c_str(), value); }

// As RRGGBB, the form the scripts' pixel checks take.
void PrintColour(const char* name, Fl_Color colour) {
  constexpr int indexBits = 8;  // Fl::get_color gives 0xRRGGBBII
  std::printf("%s=%06x\n", name, Fl::get_color(colour) >> indexBits);
}

}  // namespace

int main() {
  const Fl_Window* window = BuildMainWindow();
  Print("main_window_width", window->w());
  Print("main_window_height", window->h());
  Print("menu_height", menuBar->h());
  const Fl_Button* row[] = {loadFirmwareButton, writeCoefficientsButton, resetCoefficientsButton,
                            exitButton};
  for (size_t k = 0; k < std::size(row); ++k) {
    Print("button_lefts[" + std::to_string(k) + "]", row[k]->x());
    Print("button_tops[" + std::to_string(k) + "]", row[k]->y());
  }
  Print("button_width", loadFirmwareButton->w());
  Print("button_height", loadFirmwareButton->h());
  Print("log_top", logBrowser->y());
  Print("bar_height", progressBarHeight);
  Print("bar_gap", progressBarGap);
  PrintColour("bar_track", progressTrackColour);
  PrintColour("bar_written", progressWrittenColour);
  PrintColour("bar_verified", progressVerifiedColour);

  // Never deleted, as the dialog asks; held where LeakSanitizer sees it.
  static const FileDialog* dialog = new FileDialog(nullptr, MODE_CREATE, nullptr);
  Print("name_field_x", dialog->nameField->x());
  Print("name_field_y", dialog->nameField->y());
  Print("name_field_width", dialog->nameField->w());
  Print("name_field_height", dialog->nameField->h());
  return 0;
}
