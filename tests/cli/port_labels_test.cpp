// The ports in a station's live rows: each fits, and no two look alike.
#include "cli/port_labels.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/terminal_columns.h"

namespace {

using Names = std::vector<std::string>;

const std::string byPath = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1.";

TEST(PortLabels, ShowThePartThatTellsThePortsApartWithinTheColumn) {
  const struct {
    const char* name;
    Names ports;
    Names labels;
  } cases[] = {
      {"all fit: as given", {"/dev/ttyUSB0", "/dev/ttyUSB1", "COM7"},
       {"/dev/ttyUSB0", "/dev/ttyUSB1", "COM7"}},
      {"a fixture's links: the shared folder dropped",
       {"/var/tmp/fixture/links/device-1", "/var/tmp/fixture/links/device-2"},
       {"device-1", "device-2"}},
      {"by-path: cut in the middle, the difference kept",
       {byPath + "1:1.0-port0", byPath + "2:1.0-port0"},
       {"pci-0000:00:…1:1.0-port0", "pci-0000:00:…2:1.0-port0"}},
      {"different from the start: start and end",
       {"COM7", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"},
       {"COM7", "/dev/serial…I-if00-port0"}},
      {"alike for longer than the column: from the difference on",
       {"/x/" + std::string(30, 'a') + "1" + std::string(30, 'b'),
        "/x/" + std::string(30, 'a') + "2" + std::string(30, 'b')},
       {"…1" + std::string(22, 'b'), "…2" + std::string(22, 'b')}},
      {"Cyrillic names are cut between characters",
       {"/мост/стенд/устройство-номер-один-слева", "/мост/стенд/устройство-номер-два-справа"},
       {"устройство-но…один-слева", "устройство-но…два-справа"}},
  };
  constexpr int columns = 24;
  for (const auto& c : cases) {
    const Names labels = PortLabels(c.ports, columns);
    EXPECT_EQ(labels, c.labels) << c.name;
    std::set<std::string> distinct(labels.begin(), labels.end());
    EXPECT_EQ(distinct.size(), labels.size()) << c.name << ": two rows alike";
    for (const std::string& label : labels) EXPECT_LE(Characters(label), columns) << label;
  }
}

}  // namespace
