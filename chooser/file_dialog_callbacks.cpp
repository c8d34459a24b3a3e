#include "chooser/file_dialog_callbacks.h"

#include <FL/Fl.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Return_Button.H>

#include <cstring>
#include <string>

#include "chooser/file_dialog.h"
#include "chooser/path_text.h"

namespace {

// The completion keeps at most this many characters of a matching entry.
constexpr int matchSize = 256;
// maxMatch before any line has matched.
constexpr int noMatch = 100000;

FileDialog* dialogOf(Fl_Widget* widget) {
  Fl_Window* window = widget->as_window() != nullptr ? widget->as_window() : widget->window();
  return static_cast<FileDialog*>(window->user_data());
}

void clearSelection(FileDialog* dialog) {
  dialog->browser->deselect(0);
  dialog->browser->redraw();
}

bool isEnterKey(int key) { return key == FL_Enter || key == FL_KP_Enter; }

// Enter: a directory is opened, a file accepted (an existing one unless
// MODE_CREATE); the dialog shows no message for a refused name.
void acceptTyped(FileDialog* dialog, const char* pathname) {
  if (pathIsDirectory(pathname)) {
    dialog->changeDirectory(pathname);
    return;
  }
  if (!(dialog->mode & MODE_CREATE) && !pathExists(pathname)) return;
  if (dialog->mode & MODE_MULTI) dialog->setMode(0);
  dialog->window->hide();
}

// Lists the directory part of pathname when it is not the one listed, keeping
// the field's text as typed, its cursor and its selection. Cuts pathname at
// its last separator and returns the typed name after it.
const char* followDirectoryPart(FileDialog* dialog, char* pathname) {
  char* separator = std::strrchr(pathname, '/');
  if (separator == nullptr) separator = std::strrchr(pathname, '\\');
  if (separator == nullptr) return pathname;
  *separator = '\0';
  const char* typedName = separator + 1;
  const char* directoryPart = separator == pathname ? "/" : pathname;
  if (std::strcmp(directoryPart, dialog->directory) == 0) return typedName;

  Fl_File_Input* field = dialog->nameField;
  // Relisting writes the directory into the field; the typed text goes back.
  std::string typed = field->value();
  int cursor = field->position();
  int mark = field->mark();
  dialog->changeDirectory(directoryPart);
  field->value(typed.c_str());
  field->position(cursor, mark);
  return typedName;
}

// Completes the typed name, which ends the field's text, as far as the listed
// entries starting with it agree. Re-enters nameCallback through replace().
void complete(FileDialog* dialog, const char* typedName) {
  Fl_File_Browser* browser = dialog->browser;
  int lineCount = browser->size();
  int minMatch = static_cast<int>(std::strlen(typedName));
  if (minMatch == 0) {
    // Nothing typed after the separator, nothing to propose: a directory
    // holding one entry (if only "../") would otherwise turn "sub/" into
    // "sub/.." or "sub/file", and Enter would take that instead of sub.
    clearSelection(dialog);
    return;
  }
  int maxMatch = noMatch;
  int firstLine = 0;
  char match[matchSize];
  for (int line = 1; line <= lineCount && maxMatch > minMatch; ++line) {
    const char* text = browser->text(line);
    if (text == nullptr || std::strncmp(typedName, text, minMatch) != 0) continue;
    if (maxMatch == noMatch) {
      maxMatch = copyPath(match, matchSize, text);
      if (maxMatch > 0 && match[maxMatch - 1] == '/') match[--maxMatch] = '\0';
      browser->topline(line);
      firstLine = line;
    } else {
      while (maxMatch > minMatch && std::strncmp(text, match, maxMatch) != 0) --maxMatch;
      match[maxMatch] = '\0';
    }
  }

  Fl_File_Input* field = dialog->nameField;
  int offset = field->size() - minMatch;
  if (offset < 0 || std::strcmp(field->value() + offset, typedName) != 0) return;

  if (firstLine > 0 && minMatch == maxMatch &&
      std::strlen(browser->text(firstLine)) == static_cast<size_t>(maxMatch)) {
    browser->deselect(0);
    browser->select(firstLine);
    browser->redraw();
  } else if (maxMatch > minMatch && maxMatch != noMatch) {
    field->replace(offset, offset + minMatch, match);
    // The added characters stay selected, the cursor after them.
    field->position(offset + maxMatch, offset + minMatch);
  }
}

void updateOpenButton(FileDialog* dialog) {
  const char* text = dialog->nameField->value();
  bool mayName = (dialog->mode & MODE_CREATE) || pathExists(text);
  bool mayBeChosen = !pathIsDirectory(text) || (dialog->mode & MODE_DIRECTORY);
  if (mayName && mayBeChosen) {
    dialog->openButton->activate();
  } else {
    dialog->openButton->deactivate();
  }
}

}  // namespace

void upCallback(Fl_Widget* widget, void*) { dialogOf(widget)->goUp(); }

void rereadCallback(Fl_Widget* widget, void*) { dialogOf(widget)->reread(); }

void listCallback(Fl_Widget* widget, void*) {
  FileDialog* dialog = dialogOf(widget);
  int line = dialog->browser->value();
  const char* text = line > 0 ? dialog->browser->text(line) : nullptr;
  if (text == nullptr) return;

  char path[dialogPathSize];
  joinPath(path, dialogPathSize, dialog->directory, text);
  if (Fl::event_clicks() != 0) {
    if (pathIsDirectory(path)) {
      dialog->changeDirectory(path);
      // The next click in the new listing starts a new count.
      Fl::event_clicks(-1);
    } else {
      // The first click of the double click has put this file in the field.
      if (dialog->doneCallback != nullptr) {
        dialog->doneCallback(dialog->userData, dialog->value());
      }
      dialog->window->hide();
    }
    return;
  }
  dropTrailingSeparator(path);
  dialog->nameField->value(path);
  if (!pathIsDirectory(path) || (dialog->mode & MODE_DIRECTORY)) {
    dialog->openButton->activate();
  }
}

void nameCallback(Fl_Widget* widget, void*) {
  FileDialog* dialog = dialogOf(widget);
  const char* text = dialog->nameField->value();
  if (text[0] == '\0') {
    dialog->openButton->deactivate();
    return;
  }
  char pathname[dialogPathSize];
  if (dialog->directory[0] != '\0' && text[0] != '/') {
    // A relative name (or one with a drive letter) is taken from the working
    // directory. The field keeps what was typed: rewriting it here would
    // select it all, and the next key would replace it.
    absolutePath(pathname, dialogPathSize, text);
  } else {
    copyPath(pathname, dialogPathSize, text);
  }

  int key = Fl::event_key();
  if (isEnterKey(key)) {
    acceptTyped(dialog, pathname);
    return;
  }
  if (key == FL_Delete || key == FL_BackSpace) {
    clearSelection(dialog);
    dialog->openButton->deactivate();
    return;
  }
  const char* typedName = followDirectoryPart(dialog, pathname);
  complete(dialog, typedName);
  updateOpenButton(dialog);
}

void openCallback(Fl_Widget* widget, void*) {
  FileDialog* dialog = dialogOf(widget);
  if (dialog->doneCallback != nullptr) {
    dialog->doneCallback(dialog->userData, dialog->value());
  }
  dialog->window->hide();
}

void cancelCallback(Fl_Widget* widget, void*) {
  FileDialog* dialog = dialogOf(widget);
  dialog->nameField->value("");
  dialog->browser->deselect(0);
  dialog->window->hide();
}

void windowCallback(Fl_Widget* widget, void* data) { cancelCallback(widget, data); }
