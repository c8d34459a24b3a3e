// The adapter's facts in the operator's words, on every platform.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "link/adapter_facts.h"

namespace {

const char ftdiVendorId[] = "0403";
const char ftdiLinuxDriver[] = "ftdi_sio";
const char ftdiWindowsService[] = "FTSER2K";
// A USB vendor or product id: four hex digits, as sysfs writes them.
constexpr size_t usbIdDigits = 4;
const char hexDigits[] = "0123456789abcdefABCDEF";
// The timer's range in the FTDI chips; anything else is not a timer value.
constexpr int latencyTimerLargest = 255;

bool IsFtdi(const AdapterFacts& facts) {
  return facts.vendorId == ftdiVendorId || facts.driver == ftdiLinuxDriver ||
         facts.driver == ftdiWindowsService;
}

bool NothingKnown(const AdapterFacts& facts) {
  return facts.driver.empty() && facts.vendorId.empty() && facts.friendlyName.empty() &&
         facts.latencyTimerMs == latencyTimerUnknown;
}

void Append(std::string* text, const std::string& part) {
  if (!text->empty()) *text += ", ";
  *text += part;
}

std::string Milliseconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", value);
  return text;
}

std::string LowLatencyLine(LowLatency answer) {
  switch (answer) {
    case LowLatency::granted:
      return "Режим низкой задержки: включён";
    case LowLatency::refused:
      return "Режим низкой задержки: драйвер отказал";
    case LowLatency::notKnown:
      break;
  }
  return "Режим низкой задержки: порт не сообщает";
}

std::string LinuxAdvice(const AdapterFacts& facts, const std::string& delay) {
  if (!IsFtdi(facts)) {
    return "Адаптер задерживает каждый ответ примерно на " + delay + " мс; у драйвера " +
           (facts.driver.empty() ? std::string("порта") : facts.driver) +
           " нет таймера задержки, который можно уменьшить: быстрее будет другой адаптер";
  }
  const std::string file = "/sys/bus/usb-serial/devices/" +
                           (facts.portName.empty() ? std::string("ttyUSB0") : facts.portName) +
                           "/latency_timer";
  const std::string why = facts.lowLatency == LowLatency::refused
                              ? "драйвер не принял режим низкой задержки"
                              : "таймер задержки адаптера не уменьшен";
  return "Адаптер задерживает каждый ответ примерно на " + delay + " мс: " + why +
         "; запишите 1 в " + file + " (от root; правило udev для этого — в README)";
}

std::string WindowsAdvice(const AdapterFacts& facts, const std::string& delay) {
  if (!IsFtdi(facts)) {
    return "Адаптер задерживает каждый ответ примерно на " + delay +
           " мс; если в свойствах его порта есть Latency Timer, поставьте 1 мс, иначе быстрее "
           "будет другой адаптер";
  }
  return "Адаптер задерживает каждый ответ примерно на " + delay +
         " мс: в Диспетчере устройств откройте порт → Свойства → Дополнительно (Advanced) → "
         "Latency Timer и поставьте 1 мс; это может сделать только администратор";
}

}  // namespace

int LatencyTimerFromText(const std::string& text) {
  if (text.empty()) return latencyTimerUnknown;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || value < 0 ||
      value > latencyTimerLargest) {
    return latencyTimerUnknown;
  }
  return static_cast<int>(value);
}

void UsbIdsFromHardwareId(const std::string& hardwareId, AdapterFacts* facts) {
  const auto idAfter = [&](const std::string& mark) {
    const size_t at = hardwareId.find(mark);
    if (at == std::string::npos) return std::string();
    const std::string id = hardwareId.substr(at + mark.size(), usbIdDigits);
    return id.size() == usbIdDigits && id.find_first_not_of(hexDigits) == std::string::npos ? id
                                                                                           : "";
  };
  facts->vendorId = idAfter("VID_");
  facts->productId = idAfter("PID_");
}

std::vector<std::string> DescribeAdapter(const AdapterFacts& facts) {
  if (NothingKnown(facts)) return {"Адаптер: система о нём ничего не сообщает"};
  std::string adapter;
  if (!facts.friendlyName.empty()) Append(&adapter, "«" + facts.friendlyName + "»");
  if (!facts.driver.empty()) Append(&adapter, "драйвер " + facts.driver);
  if (!facts.vendorId.empty()) {
    Append(&adapter, "VID:PID " + facts.vendorId + ":" + facts.productId);
  }
  if (!facts.serialNumber.empty()) Append(&adapter, "серийный номер " + facts.serialNumber);
  std::vector<std::string> lines;
  if (!adapter.empty()) lines.push_back("Адаптер: " + adapter);
  if (facts.latencyTimerMs != latencyTimerUnknown) {
    lines.push_back("Таймер задержки адаптера: " + std::to_string(facts.latencyTimerMs) + " мс");
  }
  if (facts.source == FactsSource::sysfs) lines.push_back(LowLatencyLine(facts.lowLatency));
  return lines;
}

std::string AdapterAdvice(const AdapterFacts& facts, double extraDelayMs) {
  if (!(extraDelayMs > adviceDelayMs)) return "";
  const std::string delay = Milliseconds(extraDelayMs);
  return facts.source == FactsSource::registry ? WindowsAdvice(facts, delay)
                                               : LinuxAdvice(facts, delay);
}
