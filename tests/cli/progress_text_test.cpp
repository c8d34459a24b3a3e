#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/progress_text.h"
#include "cli/station_rows.h"
#include "cli/text_columns.h"
#include "tests/support/terminal_columns.h"

namespace {

bool IsWholeUtf8(const std::string& text) {
  int expected = 0;
  for (unsigned char byte : text) {
    if (expected > 0) {
      if ((byte & 0xC0) != 0x80) return false;
      --expected;
    } else if (byte >= 0xF0) expected = 3;
    else if (byte >= 0xE0) expected = 2;
    else if (byte >= 0xC0) expected = 1;
    else if (byte >= 0x80) return false;
  }
  return expected == 0;
}

TEST(ProgressText, PercentReachesAHundredOnlyWhenEveryPageHasMoved) {
  struct Case {
    PageProgress pages;  // toWrite, toVerify, written, verified
    int percent;
  };
  const Case cases[] = {
      {{149, 149, 0, 0}, 0},
      {{2, 2, 1, 0}, 25},
      {{149, 149, 149, 148}, 99},  // not rounded up to a finished look
      {{149, 149, 149, 149}, 100},
      {{0, 149, 0, 1}, 0},     // verify writes nothing
      {{0, 149, 0, 149}, 100},
      {{0, 0, 0, 0}, 100},     // nothing to move is nothing left to do
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PercentDone(c.pages), c.percent)
        << c.pages.written << "/" << c.pages.toWrite << " " << c.pages.verified << "/"
        << c.pages.toVerify;
  }
}

TEST(ProgressText, TheLineGetsShorterWithTheTerminalAndNeverWider) {
  const PageProgress pages{149, 149, 149, 12};
  EXPECT_EQ(ProgressLine(pages, 125, 80),
            "записано страниц: 149 из 149, проверено: 12 из 149, 54 %, 125 с");
  EXPECT_EQ(ProgressLine(pages, 125, 62), "запись 149/149, проверка 12/149, 54 %, 125 с");
  EXPECT_EQ(ProgressLine(pages, 125, 43), "54 %, 125 с");
  for (int columns = 0; columns <= 100; ++columns) {
    const std::string line = ProgressLine(pages, 125, columns);
    EXPECT_LE(Characters(line), columns) << line;
    EXPECT_TRUE(IsWholeUtf8(line)) << columns;
  }
}

TEST(StationRows, ARowNeverTakesMoreThanTheTerminalHasAndPortsLineUp) {
  StationRow row;
  row.port = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  row.pages = {149, 149, 149, 50};
  row.seconds = 1234;
  row.latest = "Контроллер 2 - запись, и ещё много слов, чтобы строка не влезла";
  for (int columns = 0; columns <= 160; ++columns) {
    const RowText text = LayOutRow(row, PortColumns(Characters(row.port)), columns);
    EXPECT_LE(Characters(text.lead) + Characters(text.latest), columns) << columns;
    EXPECT_TRUE(IsWholeUtf8(text.lead) && IsWholeUtf8(text.latest)) << columns;
  }
  // The bar where there is room for it, and in every row at the same place.
  StationRow shortPort = row;
  shortPort.port = "COM7";
  const int portColumns = PortColumns(Characters(row.port));
  for (int columns : {50, 80, 120}) {
    const RowText longRow = LayOutRow(row, portColumns, columns);
    const RowText shortRow = LayOutRow(shortPort, portColumns, columns);
    ASSERT_NE(longRow.lead.find('['), std::string::npos) << columns;
    EXPECT_EQ(Characters(longRow.lead.substr(0, longRow.lead.find('['))),
              Characters(shortRow.lead.substr(0, shortRow.lead.find('['))));
    EXPECT_THAT(longRow.lead, ::testing::HasSubstr(" 66 %"));
  }
  EXPECT_EQ(LayOutRow(row, portColumns, 49).lead.find('['), std::string::npos);
}

}  // namespace
