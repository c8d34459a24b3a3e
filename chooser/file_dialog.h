// The program's own modal file dialog: a list of one directory (subdirectories
// first, then the files matching a pattern), a name field that completes what
// is typed, Up and Reread buttons, Open and Cancel. Its result is the text of
// the name field.
#pragma once

#include <FL/Fl_Double_Window.H>
#include <FL/filename.H>

class Fl_File_Browser;
class Fl_File_Input;
class Fl_Return_Button;

constexpr int MODE_MULTI = 1;      // several lines may be selected
constexpr int MODE_CREATE = 2;     // the chosen name need not exist
constexpr int MODE_DIRECTORY = 4;  // a directory may be chosen

// Every path the dialog builds lives in a buffer of this size; longer ones are cut.
constexpr int dialogPathSize = 1024;

using FileDialogDoneCallback = void (*)(void* userData, const char* path);

// Allocate with new and never delete: the widgets belong to the window, and
// the caller reads value() after the window is hidden.
class FileDialog {
 public:
  // pattern and title are kept by reference and must outlive the dialog;
  // a null pattern means "*", a null title keeps "Выбор файла".
  FileDialog(const char* pattern, int mode, const char* title);

  // directory = the absolute form of name, without its trailing separator.
  // Does not relist.
  void setStartDirectory(const char* name);
  // Lists directory, places the window under the mouse, shows it modal and
  // gives the name field the focus.
  void show();
  // The name field's text; the empty string after Cancel or the close box.
  const char* value();

  // Lists path ("." when null, the root list when empty); folds a trailing
  // "/.." or "/.".
  void changeDirectory(const char* path);
  // Lists the directory of path and puts path, wholly selected, in the field.
  void setValue(const char* path);
  // Lists directory again and puts it, with a trailing '/', in the field.
  void reread();
  // Lists the directory above the one named in the field.
  void goUp();
  void setMode(int newMode);
  void setDoneCallback(FileDialogDoneCallback callback, void* data);
  // With MODE_MULTI the n-th (from 1) selected file, else the chosen file
  // (n ignored); null when there is none. Points into one buffer shared by
  // all dialogs, valid until the next call.
  const char* selectedFile(int n);

  int mode;
  void* userData;
  char directory[dialogPathSize];  // empty: the root list
  FileDialogDoneCallback doneCallback;
  Fl_File_Sort_F* sortFunction;  // fl_casenumericsort until the caller replaces it
  Fl_Double_Window* window;
  Fl_File_Browser* browser;
  Fl_Return_Button* openButton;
  Fl_File_Input* nameField;
};
