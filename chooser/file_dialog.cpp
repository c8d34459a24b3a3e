#include "chooser/file_dialog.h"

#include <FL/Fl_Button.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Return_Button.H>

#include <cstring>

#include "chooser/file_dialog_callbacks.h"
#include "chooser/path_text.h"
#include "resources/chooser_images.h"

namespace {

constexpr int kWindowWidth = 330;
constexpr int kWindowHeight = 377;
constexpr int kMargin = 14;
constexpr int kButtonTop = 14;
constexpr int kButtonHeight = 25;
constexpr int kImageButtonSize = 25;
constexpr int kUpButtonLeft = 14;
constexpr int kRereadButtonLeft = 47;
constexpr int kOpenButtonLeft = 80;
constexpr int kOpenButtonWidth = 102;
constexpr int kCancelButtonLeft = 190;
constexpr int kCancelButtonWidth = 83;
constexpr int kListTop = 46;
constexpr int kListWidth = 300;
constexpr int kListHeight = 275;
constexpr int kNameTop = 328;
constexpr int kNameWidth = 301;
constexpr int kNameHeight = 35;
constexpr int kTextSize = 12;
constexpr int kIconSize = 18;

Fl_Button* makeImageButton(int left, Fl_Image* image, const char* tooltip, Fl_Callback* callback) {
  Fl_Button* button = new Fl_Button(left, kButtonTop, kImageButtonSize, kImageButtonSize);
  button->image(image);
  button->tooltip(tooltip);
  button->box(FL_THIN_UP_BOX);
  button->callback(callback);
  return button;
}

// Shared by all dialogs, as selectedFile promises.
char selectedFileBuffer[kDialogPathSize];

}  // namespace

FileDialog::FileDialog(const char* pattern, int initialMode, const char* title)
    : mode(initialMode), userData(nullptr), directory(), doneCallback(nullptr),
      sortFunction(fl_casenumericsort) {
  window = new Fl_Double_Window(kWindowWidth, kWindowHeight, "Выбор файла");
  window->type(FL_DOUBLE_WINDOW);
  window->user_data(this);
  window->callback(windowCallback);

  makeImageButton(kUpButtonLeft, &folderUpImage, "Вверх", upCallback);
  makeImageButton(kRereadButtonLeft, &rereadImage, "Перечитать", rereadCallback);

  browser = new Fl_File_Browser(kMargin, kListTop, kListWidth, kListHeight);
  browser->type(FL_HOLD_BROWSER);
  browser->textsize(kTextSize);
  browser->iconsize(kIconSize);
  browser->callback(listCallback);
  window->resizable(browser);
  window->hotspot(browser, 0);

  openButton = new Fl_Return_Button(kOpenButtonLeft, kButtonTop, kOpenButtonWidth,
                                    kButtonHeight, "Открыть");
  openButton->labelsize(kTextSize);
  openButton->box(FL_THIN_UP_BOX);
  openButton->callback(openCallback);

  Fl_Button* cancelButton = new Fl_Button(kCancelButtonLeft, kButtonTop, kCancelButtonWidth,
                                          kButtonHeight, "Отмена");
  cancelButton->labelsize(kTextSize);
  cancelButton->box(FL_THIN_UP_BOX);
  cancelButton->callback(cancelCallback);

  nameField = new Fl_File_Input(kMargin, kNameTop, kNameWidth, kNameHeight);
  nameField->textsize(kTextSize);
  // Enter is reported even when the text has not changed since the last
  // report, so that Enter opens a typed directory or accepts a typed file.
  nameField->when(FL_WHEN_CHANGED | FL_WHEN_ENTER_KEY_ALWAYS);
  nameField->callback(nameCallback);

  if (title != nullptr) window->label(title);
  window->size_range(kWindowWidth, kWindowHeight);
  window->set_modal();
  window->end();
  browser->filter(pattern != nullptr ? pattern : "*");
}

void FileDialog::setStartDirectory(const char* name) {
  absolutePath(directory, kDialogPathSize, name);
  dropTrailingSeparator(directory);
}

void FileDialog::show() {
  reread();
  window->hotspot(browser, 0);
  window->show();
  nameField->take_focus();
}

const char* FileDialog::value() {
  const char* text = nameField->value();
  return text != nullptr ? text : "";
}

void FileDialog::setMode(int newMode) {
  mode = newMode;
  browser->type((mode & MODE_MULTI) ? FL_MULTI_BROWSER : FL_HOLD_BROWSER);
  browser->filetype((mode & MODE_DIRECTORY) ? Fl_File_Browser::DIRECTORIES
                                            : Fl_File_Browser::FILES);
  // Relisted in the dialog's own order, so a mode change never reorders it.
  browser->load(directory, sortFunction);
}

void FileDialog::setDoneCallback(FileDialogDoneCallback callback, void* data) {
  doneCallback = callback;
  userData = data;
}

const char* FileDialog::selectedFile(int n) {
  if (mode & MODE_MULTI) {
    int found = 0;
    for (int line = 1; line <= browser->size(); ++line) {
      const char* text = browser->text(line);
      if (text == nullptr || !browser->selected(line)) continue;
      size_t length = std::strlen(text);
      if (length > 0 && text[length - 1] == '/') continue;
      if (++found == n) {
        joinPath(selectedFileBuffer, kDialogPathSize, directory, text);
        return selectedFileBuffer;
      }
    }
    return nullptr;
  }
  const char* text = value();
  if (text[0] == '\0') return nullptr;
  if (!pathIsDirectory(text)) return text;
  if (!(mode & MODE_DIRECTORY)) return nullptr;
  copyPath(selectedFileBuffer, kDialogPathSize, text);
  dropTrailingSeparator(selectedFileBuffer);
  return selectedFileBuffer;
}
