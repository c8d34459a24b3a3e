#include "tests/chooser/dialog_events.h"

#include <FL/Fl.H>
#include <FL/Fl_File_Browser.H>

#include <cstring>

#include "chooser/file_dialog.h"

namespace {

// Reaches the list's item lookup, which FLTK keeps for its subclasses.
struct BrowserPeek : Fl_File_Browser {
  static void* itemAt(Fl_Browser_* browser, int y) {
    return (browser->*(&BrowserPeek::find_item))(y);
  }
  static int lineOf(Fl_Browser* browser, void* item) {
    return (browser->*(&BrowserPeek::lineno))(item);
  }
};

char emptyText[] = "";

void sendKey(FileDialog* dialog, int key, char* text, int length) {
  Fl::e_keysym = key;
  Fl::e_text = text;
  Fl::e_length = length;
  Fl::e_state = 0;
  Fl::handle(FL_KEYBOARD, dialog->window);
  Fl::e_text = emptyText;
  Fl::e_length = 0;
}

void clickAt(FileDialog* dialog, int x, int y, int clicks) {
  Fl::e_x = x;
  Fl::e_y = y;
  Fl::e_x_root = dialog->window->x() + x;
  Fl::e_y_root = dialog->window->y() + y;
  Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
  Fl::e_clicks = clicks;
  Fl::e_is_click = 1;
  Fl::e_state = FL_BUTTON1;
  Fl::handle(FL_PUSH, dialog->window);
  Fl::e_state = 0;
  Fl::handle(FL_RELEASE, dialog->window);
}

}  // namespace

void typeText(FileDialog* dialog, const char* text) {
  while (*text != '\0') {
    int length = 1;
    while ((static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) ++length;
    char character[8] = {};
    std::memcpy(character, text, length);
    int key = length == 1 ? static_cast<unsigned char>(text[0]) : 0;
    sendKey(dialog, key, character, length);
    text += length;
  }
}

void insertText(FileDialog* dialog, const std::string& text) {
  std::string copy = text;
  sendKey(dialog, 'x', &copy[0], static_cast<int>(copy.size()));
}

void pressKey(FileDialog* dialog, int key) { sendKey(dialog, key, emptyText, 0); }

void clickWidget(FileDialog* dialog, Fl_Widget* widget) {
  clickAt(dialog, widget->x() + widget->w() / 2, widget->y() + widget->h() / 2, 0);
}

bool clickLine(FileDialog* dialog, int line, int clicks) {
  Fl_File_Browser* browser = dialog->browser;
  if (!browser->displayed(line)) browser->topline(line);
  for (int y = browser->y(); y < browser->y() + browser->h(); ++y) {
    void* item = BrowserPeek::itemAt(browser, y);
    if (item != nullptr && BrowserPeek::lineOf(browser, item) == line) {
      // A few pixels into the line, clear of its upper edge.
      clickAt(dialog, browser->x() + browser->w() / 3, y + 3, clicks);
      return true;
    }
  }
  return false;
}

std::string listedLines(FileDialog* dialog) {
  std::string lines;
  for (int line = 1; line <= dialog->browser->size(); ++line) {
    if (line > 1) lines += " ";
    lines += dialog->browser->text(line);
  }
  return lines;
}
