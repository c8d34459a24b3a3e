// The window's own log lines split to the log's width at the window's
// minimum size, measured with the log's own font; the procedures' lines as
// they are.
#include "tests/app/app_fixture.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <string>
#include <vector>

#include "app/log_text_width.h"
#include "app/main_window.h"
#include "app/message_log.h"
#include "tests/app/window_pixels.h"

namespace {

using Lines = std::vector<std::string>;

constexpr double drawSeconds = 0.3;
// Enough lines for the log's vertical scroll bar, which narrows its text.
constexpr int fillerLines = 40;

// Lines the window adds, long and short, with Latin, Cyrillic and digits
// where a split may fall.
const Lines windowLines = {
    "@C1Файл не принят: в строке 3 нет числа.",
    "@C1Файл /tmp/velt-app-test-Qx81/Поверка 2026/ВЕЛТ №3 — копия (2).koeff уже есть, "
    "не заменён.",
    "@C1коэффициенты 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 не число (NaN), такое значение в "
    "файл не записать; все байты FF FF FF FF: страницы 0x7000 и 0x7040, похоже, стёрты",
    "@C1/a/very/long/path/without/any/space/at/all/in/it/coefficients.koeff",
    "@C1Загружен прежний файл.",
};

class LogLinesTest : public AppTest {};

TEST_F(LogLinesTest, EachPartFitsTheNarrowestLogAndTheirTextIsTheLines) {
  StartProgram();
  fl_font(logBrowser->textfont(), logBrowser->textsize());
  for (const std::string& line : windowLines) {
    const Lines parts = SplitLogLine(line);
    EXPECT_EQ(LoggedText(parts), LoggedText({line})) << line;
    for (const std::string& part : parts) {
      EXPECT_EQ(part.substr(0, 3), line.substr(0, 3)) << part << ": keeps its colour";
      const std::string text = LoggedText({part});
      EXPECT_LE(fl_width(text.c_str()), SplitLogWidth()) << part;
      // Measured once for the worker's sake, yet exactly as the toolkit does.
      EXPECT_EQ(LogTextWidth(text), static_cast<int>(fl_width(text.c_str()))) << part;
    }
  }
  EXPECT_EQ(SplitLogLine("@C1Загружен прежний файл."), Lines{"@C1Загружен прежний файл."})
      << "a line that fits stays whole";
}

TEST_F(LogLinesTest, SplitLinesNeedNoSidewaysScrollingWhereTheWholeOnesDid) {
  StartProgram();
  for (int i = 0; i < fillerLines; ++i) logBrowser->add("@C4Запуск.");
  for (const std::string& line : windowLines) AppendSplitLogLine(line);
  // The browser measures only the lines it draws.
  logBrowser->bottomline(logBrowser->size());
  PumpFor(drawSeconds);
  EXPECT_TRUE(logBrowser->scrollbar.visible());
  EXPECT_FALSE(logBrowser->hscrollbar.visible());

  logBrowser->add(windowLines[0].c_str());  // what the window used to add
  logBrowser->bottomline(logBrowser->size());
  PumpFor(drawSeconds);
  EXPECT_TRUE(logBrowser->hscrollbar.visible());
}

// A part that starts with a digit would make the browser read it as the
// colour's number ("@C128..." is colour 128): it is drawn in red all the same.
TEST_F(LogLinesTest, APartThatStartsWithADigitKeepsItsColour) {
  StartProgram();
  std::string digits;
  for (int i = 0; i < 8; ++i) digits += "8123456789";
  const Lines parts = SplitLogLine("@C1" + digits);
  ASSERT_GT(parts.size(), 1u);
  EXPECT_EQ(parts[1].substr(0, 5), "@C1@.") << parts[1];
  EXPECT_EQ(LoggedText(parts), digits);
  logBrowser->clear();
  logBrowser->add(parts[1].c_str());
  PumpFor(drawSeconds);
  const WindowPixels screen = ReadMainWindow();
  const int logTop = 71;
  const int lineHeight = 17;
  EXPECT_GT(PixelsOfColour(screen, 0, logTop, screen.width, lineHeight, {255, 0, 0}), 30);
}

}  // namespace
