// The adapter's facts from a fake sysfs tree, the advice given on them, and
// what Close puts back of the low-latency flag.
#include "link/adapter_facts.h"

#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_port_tree.h"

namespace {

TEST(AdapterFacts, SysfsNamesTheDriverIdsAndTimerOfTheAdapterBehindAnyNameOfThePort) {
  FakePortTree tree;
  ASSERT_TRUE(tree.Ok());
  const std::string nowhere = "/nonexistent/velt-port";
  tree.AddUsbPort("ttyUSB0", nowhere, {"ftdi_sio", "ftdi_sio", "0403", "6001", "A50285BI", "16"});
  tree.AddUsbPort("ttyUSB1", nowhere, {"ch341", "ch341-uart", "1a86", "7523", "", ""});
  tree.AddUsbPort("ttyACM0", nowhere, {"cdc_acm", "", "2341", "0043", "7533", ""});
  tree.AddUsbPort("ttyUSB2", nowhere, {"ftdi_sio", "ftdi_sio", "0403", "6015", "", "garbage"});
  tree.AddPort("ttyS0", nowhere, "serial8250", 4);
  tree.AddById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "../../ttyUSB0");
  tree.AddByPath("pci-0000:00:14.0-usb-0:2:1.0-port0", "../../ttyUSB1");
  const std::string dev = tree.Root() + "/dev";
  // What was read, in one line: port, driver, vendor:product, serial number,
  // timer ("?" unknown).
  const auto summary = [&](const std::string& device) {
    const AdapterFacts f = ReadAdapterFactsIn(tree.Tree(), device);
    return f.portName + " " + f.driver + " " + f.vendorId + ":" + f.productId + " " +
           f.serialNumber + " " +
           (f.latencyTimerMs == latencyTimerUnknown ? "?" : std::to_string(f.latencyTimerMs));
  };
  const struct {
    std::string device, facts;
  } cases[] = {
      {dev + "/ttyUSB0", "ttyUSB0 ftdi_sio 0403:6001 A50285BI 16"},
      {dev + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
       "ttyUSB0 ftdi_sio 0403:6001 A50285BI 16"},
      // The interface's driver names the kind, not the port's "ch341-uart".
      {dev + "/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", "ttyUSB1 ch341 1a86:7523  ?"},
      {dev + "/ttyACM0", "ttyACM0 cdc_acm 2341:0043 7533 ?"},
      {dev + "/ttyUSB2", "ttyUSB2 ftdi_sio 0403:6015  ?"},
      {dev + "/ttyS0", "ttyS0 serial8250 :  ?"},
      {dev + "/ttyUSB9", "  :  ?"},
  };
  for (const auto& c : cases) EXPECT_EQ(summary(c.device), c.facts) << c.device;
}

AdapterFacts Ftdi(FactsSource source, LowLatency lowLatency, int timer) {
  AdapterFacts facts;
  facts.source = source;
  facts.driver = source == FactsSource::sysfs ? "ftdi_sio" : "FTSER2K";
  facts.vendorId = "0403";
  facts.productId = "6001";
  facts.portName = source == FactsSource::sysfs ? "ttyUSB3" : "COM7";
  facts.lowLatency = lowLatency;
  facts.latencyTimerMs = timer;
  return facts;
}

TEST(AdapterFacts, AdviceNamesWhatToChangeOnlyWhenAnswersComeLate) {
  AdapterFacts cp210x;
  cp210x.driver = "cp210x";
  const struct {
    const char* why;
    AdapterFacts facts;
    double delay;
    const char* says;  // "" for no advice
  } cases[] = {
      {"fast enough", Ftdi(FactsSource::sysfs, LowLatency::refused, 16), adviceDelayMs, ""},
      {"Linux, refused", Ftdi(FactsSource::sysfs, LowLatency::refused, 16), 15.6,
       "примерно на 16 мс: драйвер не принял режим низкой задержки; запишите 1 в "
       "/sys/bus/usb-serial/devices/ttyUSB3/latency_timer"},
      {"Linux, no timer", cp210x, 8.0, "у драйвера cp210x нет таймера задержки"},
      {"Windows, FTDI", Ftdi(FactsSource::registry, LowLatency::notKnown, 16), 16.0,
       "Диспетчере устройств откройте порт → Свойства → Дополнительно (Advanced) → Latency Timer"},
  };
  for (const auto& c : cases) {
    const std::string advice = AdapterAdvice(c.facts, c.delay);
    EXPECT_EQ(advice.empty(), *c.says == '\0') << c.why;
    EXPECT_NE(advice.find(c.says), std::string::npos) << c.why << ": " << advice;
  }
}

TEST(LowLatencyFlag, CloseClearsOnlyTheFlagThatOpenTurnedOn) {
  const struct {
    LowLatency request;
    bool wasSet, setNow, clear;
  } cases[] = {
      {LowLatency::granted, false, true, true},
      {LowLatency::granted, true, true, false},    // it was on before: leave it on
      {LowLatency::granted, false, false, false},  // somebody cleared it since
      {LowLatency::refused, false, false, false},
      {LowLatency::refused, false, true, false},   // not ours to clear
      {LowLatency::notKnown, false, true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClearLowLatencyAtClose({c.request, c.wasSet}, c.setNow), c.clear)
        << static_cast<int>(c.request) << " " << c.wasSet << " " << c.setNow;
  }
}

// A pty has no serial settings to ask: what Open's request came to is not
// known, rather than taken for a refusal. (Whether Close puts the flag back
// on a real adapter only a real adapter can show; the decision is above.)
TEST(LowLatencyFlag, APtyDoesNotSayAndIsNotTakenForARefusal) {
  int controller = -1, terminal = -1;
  char name[256];
  ASSERT_EQ(openpty(&controller, &terminal, name, nullptr, nullptr), 0);
  ComPort port;
  ASSERT_EQ(port.OpenDevice(name), 0);
  EXPECT_EQ(port.LowLatencyAnswer(), LowLatency::notKnown);
  const AdapterFacts facts = ReadAdapterFacts(name, port);
  EXPECT_EQ(facts.lowLatency, LowLatency::notKnown);
  EXPECT_EQ(DescribeAdapter(facts),
            std::vector<std::string>{"Адаптер: система о нём ничего не сообщает"});
  port.Close();
  close(controller);
  close(terminal);
}

}  // namespace
