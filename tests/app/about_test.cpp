// The About window: built once, raised again, hidden by "Так" and by Enter.
// gtest before the toolkit's drawing header, which brings in X11's macros.
#include "tests/app/app_fixture.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include "app/main_window.h"
#include "tests/app/keys.h"

namespace {

class WindowAboutTest : public AppTest {};

void ClickAbout() { mainMenu[aboutMenuItem].do_callback(menuBar); }

Fl_Widget* ChildOfType(Fl_Window* window, bool wantButton) {
  for (int i = 0; i < window->children(); ++i) {
    Fl_Widget* child = window->child(i);
    if ((dynamic_cast<Fl_Return_Button*>(child) != nullptr) == wantButton) return child;
  }
  return nullptr;
}

TEST_F(WindowAboutTest, ShowsItsTextAndIsBuiltOnlyOnce) {
  StartProgram();
  EXPECT_EQ(aboutWindow, nullptr);
  ClickAbout();
  ASSERT_NE(aboutWindow, nullptr);
  Fl_Window* first = aboutWindow;
  EXPECT_TRUE(aboutWindow->shown());
  EXPECT_STREQ(aboutWindow->label(), "О программе");
  EXPECT_TRUE(aboutWindow->non_modal());
  // Shown whole: nothing of it lies outside the window.
  for (int i = 0; i < aboutWindow->children(); ++i) {
    const Fl_Widget* child = aboutWindow->child(i);
    EXPECT_GE(child->x(), 0) << i;
    EXPECT_GE(child->y(), 0) << i;
    EXPECT_LE(child->x() + child->w(), aboutWindow->w()) << i;
    EXPECT_LE(child->y() + child->h(), aboutWindow->h()) << i;
  }
  Fl_Widget* button = ChildOfType(aboutWindow, true);
  Fl_Widget* text = ChildOfType(aboutWindow, false);
  ASSERT_NE(button, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(button->label(), "Так");
  EXPECT_STREQ(text->label(),
               "\nПрограмма для прошивки ВЕЛТ.\n\nВерсия микропрограммы\n0.02  17.05.07");

  ClickAbout();  // raised again, not built again
  EXPECT_EQ(aboutWindow, first);
  EXPECT_TRUE(aboutWindow->shown());
}

// Below the firmware's version the program's own, within the window.
TEST_F(WindowAboutTest, SaysWhichVersionOfTheProgramItIs) {
  StartProgram();
  ClickAbout();
  Fl_Widget* version = aboutWindow->child(aboutWindow->children() - 1);
  EXPECT_STREQ(version->label(), "Версия программы " VELT_VERSION);
  Fl_Widget* button = ChildOfType(aboutWindow, true);
  EXPECT_GE(version->y(), button->y() + button->h()) << "below the button";
  fl_font(version->labelfont(), version->labelsize());
  EXPECT_LE(fl_width(version->label()), version->w());
  EXPECT_LE(version->y() + fl_height(), aboutWindow->h());
}

TEST_F(WindowAboutTest, TakHidesItAndTheNextRequestShowsTheSameWindow) {
  StartProgram();
  ClickAbout();
  Fl_Window* first = aboutWindow;
  Fl_Widget* button = ChildOfType(aboutWindow, true);
  button->do_callback();
  EXPECT_FALSE(aboutWindow->shown());
  EXPECT_TRUE(mainWindow->shown());

  ClickAbout();
  EXPECT_EQ(aboutWindow, first);
  EXPECT_TRUE(aboutWindow->shown());
}

TEST_F(WindowAboutTest, EnterHidesIt) {
  StartProgram();
  ClickAbout();
  ASSERT_TRUE(PumpUntil([] { return aboutWindow->visible() != 0; }, 5));
  PressKey(aboutWindow, FL_Enter, 0, "\r");
  EXPECT_FALSE(aboutWindow->shown());
}

}  // namespace
