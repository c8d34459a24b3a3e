// The one main window: menu bar, four picture buttons and the log; the About
// window; the start-up port probe and the event loop. Everything here runs on
// the GUI thread and lives for the whole run.
#pragma once

#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Window.H>

#include <string>
#include <vector>

#include "link/port_list.h"

constexpr int mainWindowWidth = 224;
constexpr int mainWindowHeight = 471;
// The X window class of every window, which the desktop entry names, so that
// docks put the running program under its launcher.
constexpr char windowClass[] = "velt-loader";
constexpr int mainMenuItemCount = 16;  // the records as compiled
// Positions in mainMenu of the items that do something.
constexpr int openMenuItem = 1;
constexpr int saveCoefficientsMenuItem = 2;
constexpr int clearMenuItem = 3;
constexpr int exitMenuItem = 4;
constexpr int firstPortMenuItem = 7;  // "COM 1 "; the other three follow
constexpr int portCount = 4;
// As compiled; each discovered port moves these one down.
constexpr int refreshPortsMenuItem = firstPortMenuItem + portCount;  // "Обновить список"
constexpr int probeLineMenuItem = refreshPortsMenuItem + 1;          // "Проверить линию"
constexpr int aboutMenuItem = 14;

// The ports found on the machine follow COM 4 as radio items of their own.
// A bench computer has a few adapters; a longer menu would not fit a screen.
constexpr int maxExtraPorts = 16;
constexpr int firstExtraPortMenuItem = firstPortMenuItem + portCount;
// The compiled records plus room for the discovered ports, which are put in
// before the window is built (the menu bar uses this array in place).
constexpr int mainMenuCapacity = mainMenuItemCount + maxExtraPorts;

extern Fl_Window* mainWindow;
extern Fl_Menu_Bar* menuBar;
// The menu bar shows this array itself, so its flags are the live state of
// the menu: the Порт radio bits are the only record of the chosen port.
extern Fl_Menu_Item mainMenu[mainMenuCapacity];
extern Fl_Button* loadFirmwareButton;
extern Fl_Button* writeCoefficientsButton;
extern Fl_Button* resetCoefficientsButton;
extern Fl_Button* exitButton;
extern Fl_Browser* logBrowser;
extern Fl_Window* aboutWindow;  // null until the first "Справка"

// The Порт menu item of port k = 1..4.
Fl_Menu_Item& PortMenuItem(int k);
// "Обновить список", after the discovered ports.
Fl_Menu_Item& RefreshPortsMenuItem();
// "Проверить линию", right after it.
Fl_Menu_Item& ProbeLineMenuItem();

// The discovered ports after COM 4: how many there are, the item of the
// i-th (0-based) and the device it opens.
int ExtraPortCount();
Fl_Menu_Item& ExtraPortMenuItem(int i);
const std::string& ExtraPortDevice(int i);

// Puts one radio item after COM 4 for each port that is not one of COM 1-4
// (at most maxExtraPorts), replacing the ones put there before. The port of
// device `kept`, when listed, gets an item even when there are too many.
void AddExtraPortItems(const std::vector<PortInfo>& ports, const std::string& kept = "");

// GUI thread: says in the log how many listed ports found no room in the
// menu, when any did.
void SayPortsLeftOut();

// Lists the machine's ports into the menu, then opens and closes COM1..COM4
// and each listed port in turn; a port that fails is greyed and unselected in
// the menu, silently, one that opens is usable.
void probePorts();

// "Обновить список": lists and probes the ports again, as the start does;
// the chosen port stays chosen when it is still there. Ignored while an
// operation runs (the item is greyed then).
void refreshPorts(Fl_Widget*, void*);

// Builds the main window (not shown) from the menu as the probe left it.
Fl_Window* BuildMainWindow();

// Pumps events every 0.03 s while any window is shown, so that what workers
// change is drawn promptly even when no wake-up arrives.
void RunEventLoop();

void clearLog(Fl_Widget*, void*);
void showAbout(Fl_Widget*, void*);
Fl_Window* buildAboutWindow();
void closeAbout(Fl_Widget* button, void*);
