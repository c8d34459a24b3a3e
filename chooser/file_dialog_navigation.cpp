// Changing the listed directory and the name field together.
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Return_Button.H>

#include <cstring>

#include "chooser/directory_list.h"
#include "chooser/file_dialog.h"
#include "chooser/path_text.h"

namespace {

// A relative directory name is resolved into at most this many characters.
constexpr int relativeDirectorySize = 256;

bool endsWith(const char* text, size_t length, const char* tail) {
  size_t tailLength = std::strlen(tail);
  return length >= tailLength && std::strcmp(text + length - tailLength, tail) == 0;
}

// Folds one trailing "/.." (to the parent) or "/." (away). The parent of a
// directory right under "/" is "/" itself, not the root list.
void foldDots(char* path) {
  size_t length = std::strlen(path);
  bool fromRoot = path[0] == '/';
  if (endsWith(path, length, "/..")) {
    length -= 3;
    path[length] = '\0';
    while (length > 0 && path[length - 1] != '/') --length;
    if (length > 0) path[length - 1] = '\0';
  } else if (endsWith(path, length, "/.")) {
    path[length - 2] = '\0';
  } else {
    return;
  }
  if (path[0] == '\0' && fromRoot) std::strcpy(path, "/");
}

}  // namespace

void FileDialog::reread() {
  char text[dialogPathSize];
  int length = copyPath(text, dialogPathSize, directory);
  if (length > 0 && text[length - 1] != '/' && length < dialogPathSize - 1) {
    text[length] = '/';
    text[length + 1] = '\0';
  }
  nameField->value(text);
  if (mode & MODE_DIRECTORY) {
    openButton->activate();
  } else {
    openButton->deactivate();
  }
  loadDirectoryList(browser, directory, sortFunction);
}

void FileDialog::changeDirectory(const char* path) {
  if (path == nullptr) path = ".";
  if (path[0] == '\0') {
    directory[0] = '\0';
  } else {
    if (path[0] == '/' || path[0] == '\\') {
      copyPath(directory, dialogPathSize, path);
    } else {
      absolutePath(directory, relativeDirectorySize, path);
    }
    dropTrailingSeparator(directory);
    foldDots(directory);
  }
  reread();
}

void FileDialog::goUp() {
  char text[dialogPathSize];
  int length = copyPath(text, dialogPathSize, nameField->value());
  if (length > 0 && text[length - 1] == '/') text[--length] = '\0';
  char* slash = std::strrchr(text, '/');
  if (slash != nullptr) {
    slash[1] = '\0';
  } else {
    text[0] = '\0';
  }
  changeDirectory(text);
}

void FileDialog::setValue(const char* path) {
  if (path == nullptr || path[0] == '\0') {
    changeDirectory(path);
    nameField->value("");
    openButton->deactivate();
    return;
  }
  if (mode & MODE_MULTI) setMode(0);

  char text[dialogPathSize];
  absolutePath(text, dialogPathSize, path);
  char* separator = std::strrchr(text, '/');
  if (separator == nullptr) separator = std::strrchr(text, '\\');
  char* name = text;
  if (separator == nullptr) {
    changeDirectory(".");
  } else if (pathIsDirectory(text)) {
    changeDirectory(text);
  } else {
    *separator = '\0';
    name = separator + 1;
    // A file right under "/" lives in "/", not in the root list.
    changeDirectory(separator == text ? "/" : text);
  }
  if (name != text) name[-1] = '/';

  nameField->value(text);
  nameField->position(0, nameField->size());
  openButton->activate();

  browser->deselect(0);
  browser->redraw();
  for (int line = 1; line <= browser->size(); ++line) {
    const char* lineText = browser->text(line);
    if (lineText != nullptr && std::strcmp(lineText, name) == 0) {
      browser->topline(line);
      browser->select(line);
      break;
    }
  }
}
