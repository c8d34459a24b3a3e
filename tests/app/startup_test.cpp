// The start-up port probe, the window as built, and refusals without a port.
#include <FL/Fl.H>

#include <cstring>

#include "app/main_window.h"
#include "app/operations.h"
#include "app/program_exit.h"
#include "app/save_coefficients.h"
#include "tests/app/app_fixture.h"

namespace {

class WindowStartupTest : public AppTest {};

struct PortFlags {
  bool active;
  bool selected;
};

PortFlags FlagsOf(int k) {
  return {PortMenuItem(k).active() != 0, PortMenuItem(k).value() != 0};
}

TEST_F(WindowStartupTest, ProbeGreysAndUnselectsPortsThatDoNotOpen) {
  struct Case {
    bool present[portCount];
    PortFlags expected[portCount];
  };
  const Case cases[] = {
      {{true, true, true, true}, {{true, true}, {true, false}, {true, false}, {true, false}}},
      // COM 1 fails: nothing else is selected in its place.
      {{false, true, false, true},
       {{false, false}, {true, false}, {false, false}, {true, false}}},
      {{false, false, false, false},
       {{false, false}, {false, false}, {false, false}, {false, false}}},
  };
  for (const Case& c : cases) {
    AttachPorts(c.present);
    StartProgram();
    for (int k = 1; k <= portCount; ++k) {
      EXPECT_EQ(FlagsOf(k).active, c.expected[k - 1].active) << "COM " << k;
      EXPECT_EQ(FlagsOf(k).selected, c.expected[k - 1].selected) << "COM " << k;
    }
    EXPECT_EQ(logBrowser->size(), 0);
  }
}

TEST_F(WindowStartupTest, WithEveryPortMissingEachButtonRefusesAndNothingStarts) {
  StartProgram();
  for (Fl_Button* button : {loadFirmwareButton, writeCoefficientsButton, resetCoefficientsButton}) {
    button->do_callback();
    EXPECT_EQ(operationBusy, 0);
    EXPECT_TRUE(ButtonsShowIdle());
  }
  // No file dialog either: the write refuses before it asks.
  EXPECT_EQ(Fl::first_window(), mainWindow);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"@C1Порт не выбран.", "@C1Порт не выбран.",
                                                  "@C1Порт не выбран."}));
}

TEST_F(WindowStartupTest, SecondPortMustBePickedBeforeAnOperationStarts) {
  AttachDevice(2);
  StartProgram();
  resetCoefficientsButton->do_callback();
  EXPECT_EQ(LogLines(), std::vector<std::string>{"@C1Порт не выбран."});

  SelectPort(2);
  EXPECT_TRUE(PortMenuItem(2).value());
  logBrowser->clear();
  resetCoefficientsButton->do_callback();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(selectedPort, '2');
  EXPECT_EQ(LastLogLine(), "@C4Запуск.");
  EXPECT_FALSE(devices[1]->Transcript().empty());
}

TEST_F(WindowStartupTest, MainWindowIsLaidOutAsTheOperatorKnowsIt) {
  StartProgram();
  EXPECT_STREQ(mainWindow->label(), "Загрузчик для ВЕЛТ");
  EXPECT_EQ(mainWindow->w(), 224);
  EXPECT_EQ(mainWindow->h(), 471);
  EXPECT_EQ(mainWindow->resizable(), logBrowser);
  EXPECT_EQ(menuBar->menu(), mainMenu);
  EXPECT_EQ(menuBar->textfont(), FL_COURIER);
  EXPECT_EQ(menuBar->textsize(), 15);

  struct Expected {
    Fl_Widget* widget;
    int x, y, w, h;
    const char* tooltip;
  };
  const Expected widgets[] = {
      {menuBar, 0, 0, 224, 23, nullptr},
      {loadFirmwareButton, 0, 23, 56, 48, "Загрузка прошивок"},
      {writeCoefficientsButton, 56, 23, 56, 48, "Запись коэффициентов"},
      {resetCoefficientsButton, 112, 23, 56, 48, "Сброс коэффициентов"},
      {exitButton, 168, 23, 56, 48, "Выход"},
      {logBrowser, 0, 71, 224, 400, nullptr},
  };
  ASSERT_EQ(mainWindow->children(), 6);
  for (int i = 0; i < 6; ++i) {
    const Expected& e = widgets[i];
    EXPECT_EQ(mainWindow->child(i), e.widget) << i;
    EXPECT_EQ(e.widget->x(), e.x) << i;
    EXPECT_EQ(e.widget->y(), e.y) << i;
    EXPECT_EQ(e.widget->w(), e.w) << i;
    EXPECT_EQ(e.widget->h(), e.h) << i;
    if (e.tooltip != nullptr) {
      EXPECT_STREQ(e.widget->tooltip(), e.tooltip) << i;
      EXPECT_EQ(e.widget->label(), nullptr) << i;
      EXPECT_EQ(e.widget->box(), FL_THIN_UP_BOX) << i;
      EXPECT_NE(e.widget->image(), nullptr) << i;
    }
  }

  struct Item {
    const char* label;
    int shortcut;
  };
  const Item items[mainMenuItemCount] = {
      {"Файл", 0},    {"Открыть...", FL_CTRL + 'o'},
      {"Сохранить коэффициенты...", FL_CTRL + 's'}, {"Очистить...", FL_CTRL + 'e'},
      {"Выход", FL_CTRL + 'x'}, {nullptr, 0},  {"Порт", 0},
      {"COM 1 ", 0},  {"COM 2 ", 0}, {"COM 3 ", 0}, {"COM 4 ", 0},
      {"Обновить список", 0}, {"Проверить линию", 0}, {nullptr, 0}, {"Справка", 0}, {nullptr, 0}};
  for (int i = 0; i < mainMenuItemCount; ++i) {
    if (items[i].label == nullptr) {
      EXPECT_EQ(mainMenu[i].label(), nullptr) << i;
    } else {
      EXPECT_STREQ(mainMenu[i].label(), items[i].label) << i;
    }
    EXPECT_EQ(mainMenu[i].shortcut(), items[i].shortcut) << i;
  }
  for (int k = 1; k <= portCount; ++k) EXPECT_TRUE(PortMenuItem(k).radio()) << k;
  EXPECT_TRUE(mainMenu[0].submenu());
  EXPECT_TRUE(mainMenu[firstPortMenuItem - 1].submenu());
  EXPECT_EQ(mainMenu[openMenuItem].callback(), onOpenCoefficientFile);
  EXPECT_EQ(mainMenu[saveCoefficientsMenuItem].callback(), onSaveCoefficients);
  EXPECT_EQ(mainMenu[clearMenuItem].callback(), clearLog);
  EXPECT_EQ(mainMenu[exitMenuItem].callback(), exitProgram);
  EXPECT_EQ(mainMenu[aboutMenuItem].callback(), showAbout);
  EXPECT_EQ(mainMenu[refreshPortsMenuItem].callback(), refreshPorts);
  EXPECT_FALSE(mainMenu[refreshPortsMenuItem].radio()) << "not one of the ports to choose";
  EXPECT_TRUE(mainMenu[refreshPortsMenuItem].active());
  EXPECT_EQ(mainMenu[probeLineMenuItem].callback(), onProbeLine);
  EXPECT_EQ(exitButton->callback(), exitProgram);
  // Docks join the window to the launcher of the desktop entry by this class.
  EXPECT_STREQ(mainWindow->xclass(), "velt-loader");
  EXPECT_FALSE(mainMenu[aboutMenuItem].submenu());

  // Growing the window gives the extra height to the log alone.
  mainWindow->size(224, 571);
  EXPECT_EQ(logBrowser->h(), 500);
  EXPECT_EQ(loadFirmwareButton->h(), 48);
  mainWindow->size(224, 471);
}

}  // namespace
