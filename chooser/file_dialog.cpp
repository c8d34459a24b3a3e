#include "chooser/file_dialog.h"

#include <FL/Fl_Button.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Return_Button.H>

#include <cstring>

#include "chooser/directory_list.h"
#include "chooser/file_dialog_callbacks.h"
#include "chooser/path_text.h"
#include "resources/chooser_images.h"

namespace {

constexpr int windowWidth = 330;
constexpr int windowHeight = 377;
constexpr int margin = 14;
constexpr int buttonTop = 14;
constexpr int buttonHeight = 25;
constexpr int imageButtonSize = 25;
constexpr int upButtonLeft = 14;
constexpr int rereadButtonLeft = 47;
constexpr int openButtonLeft = 80;
constexpr int openButtonWidth = 102;
constexpr int cancelButtonLeft = 190;
constexpr int cancelButtonWidth = 83;
constexpr int listTop = 46;
constexpr int listWidth = 300;
constexpr int listHeight = 275;
constexpr int nameTop = 328;
constexpr int nameWidth = 301;
constexpr int nameHeight = 35;
constexpr int textSize = 12;
constexpr int iconSize = 18;

Fl_Button* makeImageButton(int left, Fl_Image* image, const char* tooltip, Fl_Callback* callback) {
  Fl_Button* button = new Fl_Button(left, buttonTop, imageButtonSize, imageButtonSize);
  button->image(image);
  button->tooltip(tooltip);
  button->box(FL_THIN_UP_BOX);
  button->callback(callback);
  return button;
}

// Shared by all dialogs, as selectedFile promises.
char selectedFileBuffer[dialogPathSize];

}  // namespace

FileDialog::FileDialog(const char* pattern, int initialMode, const char* title)
    : mode(initialMode), userData(nullptr), directory(), doneCallback(nullptr),
      sortFunction(fl_casenumericsort) {
  window = new Fl_Double_Window(windowWidth, windowHeight, "Выбор файла");
  window->type(FL_DOUBLE_WINDOW);
  window->user_data(this);
  window->callback(windowCallback);

  makeImageButton(upButtonLeft, &folderUpImage, "Вверх", upCallback);
  makeImageButton(rereadButtonLeft, &rereadImage, "Перечитать", rereadCallback);

  browser = new Fl_File_Browser(margin, listTop, listWidth, listHeight);
  browser->type(FL_HOLD_BROWSER);
  browser->textsize(textSize);
  browser->iconsize(iconSize);
  browser->callback(listCallback);
  window->resizable(browser);
  window->hotspot(browser, 0);

  openButton = new Fl_Return_Button(openButtonLeft, buttonTop, openButtonWidth,
                                    buttonHeight, "Открыть");
  openButton->labelsize(textSize);
  openButton->box(FL_THIN_UP_BOX);
  openButton->callback(openCallback);

  Fl_Button* cancelButton = new Fl_Button(cancelButtonLeft, buttonTop, cancelButtonWidth,
                                          buttonHeight, "Отмена");
  cancelButton->labelsize(textSize);
  cancelButton->box(FL_THIN_UP_BOX);
  cancelButton->callback(cancelCallback);

  nameField = new Fl_File_Input(margin, nameTop, nameWidth, nameHeight);
  nameField->textsize(textSize);
  // Enter is reported even when the text has not changed since the last
  // report, so that Enter opens a typed directory or accepts a typed file.
  nameField->when(FL_WHEN_CHANGED | FL_WHEN_ENTER_KEY_ALWAYS);
  nameField->callback(nameCallback);

  if (title != nullptr) window->label(title);
  window->size_range(windowWidth, windowHeight);
  window->set_modal();
  window->end();
  browser->filter(pattern != nullptr ? pattern : "*");
}

void FileDialog::setStartDirectory(const char* name) {
  absolutePath(directory, dialogPathSize, name);
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
  loadDirectoryList(browser, directory, sortFunction);
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
        joinPath(selectedFileBuffer, dialogPathSize, directory, text);
        return selectedFileBuffer;
      }
    }
    return nullptr;
  }
  const char* text = value();
  if (text[0] == '\0') return nullptr;
  if (!pathIsDirectory(text)) return text;
  if (!(mode & MODE_DIRECTORY)) return nullptr;
  copyPath(selectedFileBuffer, dialogPathSize, text);
  dropTrailingSeparator(selectedFileBuffer);
  return selectedFileBuffer;
}
