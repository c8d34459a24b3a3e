#include "app/main_window.h"

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>

#include <algorithm>

#include "app/message_log.h"
#include "app/operations.h"
#include "app/program_exit.h"
#include "app/progress_bar.h"
#include "app/save_coefficients.h"
#include "app/window_device.h"
#include "app/window_icon.h"
#include "link/printable_text.h"
#include "resources/button_images.h"

namespace {

constexpr int menuBarHeight = 23;
constexpr int menuTextSize = 15;
constexpr int buttonWidth = 56;
constexpr int buttonHeight = 48;
constexpr int buttonTop = menuBarHeight;
constexpr int logTop = buttonTop + buttonHeight;

constexpr int aboutWidth = 280;
constexpr int aboutHeight = 132;
constexpr double eventLoopTimeoutSeconds = 0.03;

// Between a discovered port's name and what the system says of it.
const char* const portDescriptionSeparator = " — ";

const char* const mainWindowTitle = "Загрузчик для ВЕЛТ";
const char* const aboutTitle = "О программе";
const char* const aboutText =
    "\nПрограмма для прошивки ВЕЛТ.\n\nВерсия микропрограммы\n0.02  17.05.07";
// The program's own version, under the firmware's, small, below the button.
const char* const programVersionText = "Версия программы " VELT_VERSION;
constexpr int programVersionTextSize = 10;

Fl_Button* MakeButton(int column, const char* tooltip, Fl_Image* image, Fl_Callback* callback) {
  Fl_Button* button = new RowButton(column * buttonWidth, buttonTop, buttonWidth, buttonHeight);
  button->box(FL_THIN_UP_BOX);
  button->tooltip(tooltip);
  button->image(image);
  button->callback(callback);
  return button;
}

int extraPortCount = 0;
std::string extraPortLabels[maxExtraPorts];
std::string extraPortDevices[maxExtraPorts];

// Opens and closes the port; a port that fails is greyed and unselected,
// one that opens (again) is usable.
void Probe(Fl_Menu_Item& item, int opened) {
  if (opened == 0) {
    comPort.Close();
    item.activate();
  } else {
    item.deactivate();
    item.clear();
  }
}

// The device of the chosen discovered port, or "" when a COM 1-4 item (or
// nothing) is chosen: those keep their own radio bit through a probe.
std::string ChosenExtraDevice() {
  for (int i = 0; i < extraPortCount; ++i) {
    if (ExtraPortMenuItem(i).value()) return extraPortDevices[i];
  }
  return "";
}

void ChooseExtraDevice(const std::string& device) {
  for (int i = 0; i < extraPortCount; ++i) {
    if (extraPortDevices[i] == device) ExtraPortMenuItem(i).set();
  }
}

void ProbeListedPorts() {
  for (int k = 1; k <= portCount; ++k) {
    Probe(PortMenuItem(k), comPort.Open(static_cast<char>('0' + k)));
  }
  for (int i = 0; i < extraPortCount; ++i) {
    Probe(ExtraPortMenuItem(i), comPort.OpenDevice(extraPortDevices[i].c_str()));
  }
}

}  // namespace

Fl_Window* mainWindow = nullptr;
Fl_Menu_Bar* menuBar = nullptr;
Fl_Button* loadFirmwareButton = nullptr;
Fl_Button* writeCoefficientsButton = nullptr;
Fl_Button* resetCoefficientsButton = nullptr;
Fl_Button* exitButton = nullptr;
Fl_Browser* logBrowser = nullptr;
Fl_Window* aboutWindow = nullptr;

// Label type, font, size and colour stay 0 so the menu bar's own apply.
// The records past the compiled ones start zero: room for the ports
// AddExtraPortItems puts after COM 4.
Fl_Menu_Item mainMenu[mainMenuCapacity] = {
    {"Файл", 0, nullptr, nullptr, FL_SUBMENU, 0, 0, 0, 0},
    {"Открыть...", FL_CTRL + 'o', onOpenCoefficientFile, nullptr, 0, 0, 0, 0, 0},
    {"Сохранить коэффициенты...", FL_CTRL + 's', onSaveCoefficients, nullptr, 0, 0, 0, 0, 0},
    {"Очистить...", FL_CTRL + 'e', clearLog, nullptr, 0, 0, 0, 0, 0},
    {"Выход", FL_CTRL + 'x', exitProgram, nullptr, 0, 0, 0, 0, 0},
    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
    {"Порт", 0, nullptr, nullptr, FL_SUBMENU, 0, 0, 0, 0},
    {"COM 1 ", 0, nullptr, nullptr, FL_MENU_RADIO | FL_MENU_VALUE, 0, 0, 0, 0},
    {"COM 2 ", 0, nullptr, nullptr, FL_MENU_RADIO, 0, 0, 0, 0},
    {"COM 3 ", 0, nullptr, nullptr, FL_MENU_RADIO, 0, 0, 0, 0},
    {"COM 4 ", 0, nullptr, nullptr, FL_MENU_RADIO, 0, 0, 0, 0},
    {"Обновить список", 0, refreshPorts, nullptr, 0, 0, 0, 0, 0},
    {"Проверить линию", 0, onProbeLine, nullptr, 0, 0, 0, 0, 0},
    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
    {"Справка", 0, showAbout, nullptr, 0, 0, 0, 0, 0},
    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
};

Fl_Menu_Item& PortMenuItem(int k) { return mainMenu[firstPortMenuItem + k - 1]; }

Fl_Menu_Item& RefreshPortsMenuItem() { return mainMenu[refreshPortsMenuItem + extraPortCount]; }

Fl_Menu_Item& ProbeLineMenuItem() { return mainMenu[probeLineMenuItem + extraPortCount]; }

int ExtraPortCount() { return extraPortCount; }

Fl_Menu_Item& ExtraPortMenuItem(int i) { return mainMenu[firstExtraPortMenuItem + i]; }

const std::string& ExtraPortDevice(int i) { return extraPortDevices[i]; }

namespace {

// Listed ports that found no room in the menu at the last listing.
int portsLeftOut = 0;
const char* const portsLeftOutLine = "@C1Портов больше, чем помещается в меню; не показано: ";

// The ports that get an item, in their order: those that are not COM 1-4,
// as many as there is room for, the kept one among them when it is listed.
std::vector<PortInfo> PortsShown(const std::vector<PortInfo>& ports, const std::string& kept) {
  std::vector<PortInfo> shown;
  bool keptShown = kept.empty();
  for (const PortInfo& port : ports) {
    if (PortDigitOfDevice(port.device) != 0) continue;  // already COM 1-4
    if (int(shown.size()) < maxExtraPorts) {
      shown.push_back(port);
      keptShown = keptShown || port.device == kept;
    } else if (!keptShown && port.device == kept) {
      shown.back() = port;
      keptShown = true;
      ++portsLeftOut;
    } else {
      ++portsLeftOut;
    }
  }
  return shown;
}

}  // namespace

void SayPortsLeftOut() {
  if (portsLeftOut > 0) AppendSplitLogLine(portsLeftOutLine + std::to_string(portsLeftOut) + ".");
}

void AddExtraPortItems(const std::vector<PortInfo>& ports, const std::string& kept) {
  // What follows the Порт items ("Обновить список", "Проверить линию", the submenu's end,
  // Справка, the menu's end) moves down behind the new items.
  Fl_Menu_Item* const tail = &mainMenu[firstExtraPortMenuItem + extraPortCount];
  const int tailLength = mainMenuItemCount - firstExtraPortMenuItem;
  const std::vector<Fl_Menu_Item> rest(tail, tail + tailLength);
  extraPortCount = 0;
  portsLeftOut = 0;
  for (const PortInfo& port : PortsShown(ports, kept)) {
    const int i = extraPortCount++;
    extraPortLabels[i] = PrintableText(port.name);
    if (!port.description.empty()) {
      extraPortLabels[i] += portDescriptionSeparator + PrintableText(port.description);
    }
    extraPortDevices[i] = port.device;
    ExtraPortMenuItem(i) = Fl_Menu_Item{};
    ExtraPortMenuItem(i).label(extraPortLabels[i].c_str());
    ExtraPortMenuItem(i).flags = FL_MENU_RADIO;
  }
  Fl_Menu_Item* const end = std::copy(rest.begin(), rest.end(), &ExtraPortMenuItem(extraPortCount));
  std::fill(end, mainMenu + mainMenuCapacity, Fl_Menu_Item{});
  if (menuBar != nullptr) menuBar->redraw();
}

void probePorts() {
  AddExtraPortItems(ListPorts());
  ProbeListedPorts();
}

void refreshPorts(Fl_Widget*, void*) {
  if (operationBusy) return;
  const std::string chosen = ChosenExtraDevice();
  AddExtraPortItems(ListPorts(), chosen);
  ChooseExtraDevice(chosen);
  ProbeListedPorts();
  SayPortsLeftOut();
}

Fl_Window* BuildMainWindow() {
  Fl_Window::default_xclass(windowClass);
  mainWindow = new Fl_Window(mainWindowWidth, mainWindowHeight, mainWindowTitle);
  ApplyWindowIcon(mainWindow);
  mainWindow->callback(closeMainWindow);

  menuBar = new Fl_Menu_Bar(0, 0, mainWindowWidth, menuBarHeight);
  menuBar->menu(mainMenu);
  menuBar->textfont(FL_COURIER);
  menuBar->textsize(menuTextSize);

  loadFirmwareButton = MakeButton(0, "Загрузка прошивок", &loadFirmwareImage, onLoadFirmware);
  writeCoefficientsButton =
      MakeButton(1, "Запись коэффициентов", &writeCoefficientsImage, onWriteCoefficients);
  resetCoefficientsButton =
      MakeButton(2, "Сброс коэффициентов", &resetCoefficientsImage, onResetCoefficients);
  exitButton = MakeButton(3, "Выход", &exitImage, exitProgram);

  logBrowser = new Fl_Browser(0, logTop, mainWindowWidth, mainWindowHeight - logTop);
  PrepareLogSplitting();

  mainWindow->resizable(logBrowser);
  mainWindow->size_range(mainWindowWidth, mainWindowHeight, 0, 0, 0, 0, 0);
  mainWindow->end();
  return mainWindow;
}

void RunEventLoop() {
  while (Fl::first_window()) Fl::wait(eventLoopTimeoutSeconds);
}

void clearLog(Fl_Widget*, void*) { logBrowser->clear(); }

void showAbout(Fl_Widget*, void*) {
  if (aboutWindow == nullptr) aboutWindow = buildAboutWindow();
  aboutWindow->show();
}

Fl_Window* buildAboutWindow() {
  constexpr int buttonX = 100, buttonY = 90, buttonW = 80, buttonH = 28;
  constexpr int textX = 10, textY = 10, textW = 260, textH = 64;
  constexpr int versionY = buttonY + buttonH, versionH = aboutHeight - versionY;
  Fl_Window* window = new Fl_Window(aboutWidth, aboutHeight, aboutTitle);
  window->set_non_modal();
  Fl_Return_Button* button = new Fl_Return_Button(buttonX, buttonY, buttonW, buttonH, "Так");
  button->labelfont(FL_COURIER);
  button->callback(closeAbout);
  Fl_Box* text = new Fl_Box(textX, textY, textW, textH, aboutText);
  text->labelfont(FL_COURIER);
  Fl_Box* version = new Fl_Box(0, versionY, aboutWidth, versionH, programVersionText);
  version->labelsize(programVersionTextSize);
  window->end();
  return window;
}

void closeAbout(Fl_Widget* button, void*) { button->window()->hide(); }
