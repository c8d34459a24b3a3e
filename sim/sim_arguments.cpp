#include "sim/sim_arguments.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "sim/device_names.h"
#include "sim/sim_preload.h"
#include "sim/usb_adapter.h"

const char simUsage[] =
    "Использование:\n"
    "  velt-sim [ПАРАМЕТРЫ]     имитировать ВЕЛТ на псевдотерминале\n"
    "  velt-sim --devices N [ПАРАМЕТРЫ] [--device K ПАРАМЕТРЫ]...\n"
    "                           станция из N устройств в одном процессе\n"
    "  velt-sim --help | --version\n"
    "\n"
    "Три загрузчика устройства на псевдотерминале: эхо каждого кадра, ответы в\n"
    "темпе линии и заданные сбои. Печатает путь к терминалу и работает до SIGINT,\n"
    "SIGTERM или SIGHUP; тогда пишет в stderr, сколько кадров какого вида принято.\n"
    "\n"
    "Параметры:\n"
    "  --link ПУТЬ              сделать ПУТЬ символической ссылкой на терминал\n"
    "                           (удаляется при выходе)\n"
    "  --dump КАТАЛОГ           при выходе записать в КАТАЛОГ память контроллеров\n"
    "                           (controller1.bin - controller3.bin), transcript.txt\n"
    "                           и frames.txt\n"
    "  --baud N                 отвечать в темпе N бод, 10 бит на байт (по умолчанию\n"
    "                           57600; 0 - без задержек)\n"
    "  --fifo N                 отдавать ответы по N байт, как приёмный FIFO UART;\n"
    "                           последние байты ответа не ждут (по умолчанию 1)\n"
    "  --adapter-latency МС     между устройством и терминалом USB-адаптер: байты\n"
    "                           (и эхо) идут пакетами, сразу по 62 байта, иначе\n"
    "                           через МС мс после первого из них (1-255)\n"
    "  --fill БАЙТ              начальное содержимое памяти (по умолчанию 0xFF)\n"
    "  --memory КАТАЛОГ         устройство уже хранит набор прошивок КАТАЛОГА\n"
    "                           (controller1.hex - controller3.hex) поверх --fill;\n"
    "                           коэффициенты контроллера 1 не задаются\n"
    "  --erase-latency МС       задержка перед каждым ответом на стирание\n"
    "  --write-latency МС       задержка перед каждым ответом на запись\n"
    "  --stay-launched          SelectController3 не возвращает загрузчики\n"
    "  -h, --help               эта справка\n"
    "  -V, --version            версия программы\n"
    "\n"
    "Сбои:\n"
    "  --silent                 ни эха, ни ответов\n"
    "  --echo-only              эхо без ответов загрузчиков\n"
    "  --drop ВИД:N[:СКОЛЬКО]   не отвечать на СКОЛЬКО кадров ВИДА начиная с N-го\n"
    "  --corrupt ВИД:N[:СКОЛЬКО]\n"
    "                           неверная контрольная сумма в этих ответах\n"
    "  --stray ВИД:N[:СКОЛЬКО]  лишние байты перед этими ответами\n"
    "  --hang-up ВИД:N          закрыть линию, когда придёт N-й кадр ВИДА\n"
    "  --bad-read К:АДРЕС       в прочитанной странице АДРЕС контроллера К один байт\n"
    "                           неверен\n"
    "  --ignore-launch          загрузчики не выполняют Launch\n"
    "\n"
    "ВИД: query, read, write, erase, control, null, select или launch. N считается\n"
    "от 1, СКОЛЬКО по умолчанию 1.\n"
    "\n"
    "Станция:\n"
    "  --devices N              имитировать N устройств (1-32), каждое на своём\n"
    "                           псевдотерминале, со своей памятью, протоколом и\n"
    "                           сбоями; печатает N путей по порядку\n"
    "  --link КАТАЛОГ           ссылки КАТАЛОГ/dev1 - КАТАЛОГ/devN; КАТАЛОГ\n"
    "                           создаётся, если его нет, и тогда удаляется при\n"
    "                           выходе\n"
    "  --link ШАБЛОН            с одним %d в нём: ссылки по ШАБЛОНУ, где вместо %d\n"
    "                           номер устройства\n"
    "  --dump КАТАЛОГ           дамп каждого устройства в КАТАЛОГ/dev1 -\n"
    "                           КАТАЛОГ/devN\n"
    "  --device K               параметры и сбои после него, до следующего --device,\n"
    "                           только для устройства K; до первого --device - для\n"
    "                           всех (там же --link, --dump и --devices)\n"
    "\n"
    "Коды завершения:\n"
    "  0  остановлен сигналом\n"
    "  1  не создан псевдотерминал, ссылка или каталог ссылок, или не записан дамп\n"
    "  2  ошибка в командной строке\n";


namespace {

constexpr long maxByte = 0xFF;
constexpr long maxCount = 1000000;
constexpr long maxLatencyMs = 60000;
constexpr long maxBaud = 4000000;
constexpr long maxFifoBytes = 256;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string::npos;
       at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// Decimal or 0x-hex, within [low, high].
bool ParseNumber(const std::string& text, long low, long high, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

bool ParseFault(const std::string& text, bool countAllowed, SimFault* fault) {
  const std::vector<std::string> parts = Split(text, ':');
  const size_t maxParts = countAllowed ? 3 : 2;
  if (parts.size() < 2 || parts.size() > maxParts) return false;
  long nth = 0;
  long count = 1;
  if (ParseSimCommand(parts[0], &fault->kind) != 0 || !ParseNumber(parts[1], 1, maxCount, &nth)) {
    return false;
  }
  if (parts.size() == 3 && !ParseNumber(parts[2], 1, maxCount, &count)) return false;
  fault->nth = static_cast<int>(nth);
  fault->count = static_cast<int>(count);
  return true;
}

bool ParseBadRead(const std::string& text, SimFaults* faults) {
  const std::vector<std::string> parts = Split(text, ':');
  long controller = 0;
  long address = 0;
  if (parts.size() != 2 || !ParseNumber(parts[0], 1, simControllerCount, &controller) ||
      !ParseNumber(parts[1], 0, simMemorySize - 1, &address)) {
    return false;
  }
  faults->badReadController = static_cast<int>(controller);
  faults->badReadPage = static_cast<uint32_t>(address);
  return true;
}

// Whether the option concerns velt-sim as a whole rather than one device.
bool IsProgramOption(const std::string& name) {
  return name == "--link" || name == "--dump" || name == "--devices";
}

bool ApplyProgramValue(const std::string& name, const std::string& value,
                       SimProgramOptions* options) {
  long number = 0;
  if (name == "--devices") {
    if (!ParseNumber(value, 1, maxSimDevices, &number)) return false;
    options->deviceCount = static_cast<int>(number);
    return true;
  }
  std::string& target = name == "--link" ? options->linkPath : options->dumpDirectory;
  target = value;
  return !value.empty();
}

// Applies one device option that takes a value. Returns false when the value is bad.
bool ApplyDeviceValue(const std::string& name, const std::string& value, SimOptions* device) {
  SimFaults& faults = device->faults;
  long number = 0;
  SimFault fault{};
  if (name == "--fifo") {
    if (!ParseNumber(value, 1, maxFifoBytes, &number)) return false;
    device->fifoBytes = static_cast<int>(number);
    return true;
  }
  if (name == "--adapter-latency") {
    if (!ParseNumber(value, 1, maxAdapterLatencyMs, &number)) return false;
    device->adapterLatencyMs = static_cast<int>(number);
    return true;
  }
  if (name == "--baud" || name == "--fill" || name == "--erase-latency" ||
      name == "--write-latency") {
    const long high = name == "--baud" ? maxBaud : name == "--fill" ? maxByte : maxLatencyMs;
    if (!ParseNumber(value, 0, high, &number)) return false;
    if (name == "--baud") device->baud = static_cast<int>(number);
    if (name == "--fill") device->fill = static_cast<uint8_t>(number);
    if (name == "--erase-latency") device->eraseLatencyMs = static_cast<int>(number);
    if (name == "--write-latency") device->writeLatencyMs = static_cast<int>(number);
    return true;
  }
  if (name == "--bad-read") return ParseBadRead(value, &faults);
  std::vector<SimFault>* list = name == "--drop"      ? &faults.dropAnswer
                                : name == "--corrupt" ? &faults.corruptChecksum
                                : name == "--stray"   ? &faults.strayBytes
                                                      : &faults.hangUp;
  if (!ParseFault(value, name != "--hang-up", &fault)) return false;
  list->push_back(fault);
  return true;
}

bool TakesValue(const std::string& name) {
  static const char* const names[] = {"--link",  "--dump",    "--baud",  "--fill",
                                      "--erase-latency", "--write-latency", "--drop",
                                      "--corrupt", "--stray", "--hang-up", "--bad-read",
                                      "--devices", "--device", "--fifo", "--memory",
                                      "--adapter-latency"};
  for (const char* known : names) {
    if (name == known) return true;
  }
  return false;
}

bool ApplyProgramFlag(const std::string& name, SimProgramOptions* options) {
  if (name == "--help" || name == "-h") {
    options->help = true;
  } else if (name == "--version" || name == "-V") {
    options->version = true;
  } else {
    return false;
  }
  return true;
}

bool ApplyDeviceFlag(const std::string& name, SimOptions* device) {
  SimFaults& faults = device->faults;
  if (name == "--stay-launched") {
    device->stayLaunched = true;
  } else if (name == "--silent") {
    faults.silent = true;
  } else if (name == "--echo-only") {
    faults.echoOnly = true;
  } else if (name == "--ignore-launch") {
    faults.ignoreLaunch = true;
  } else {
    return false;
  }
  return true;
}

// Exactly one %d and no other %: the name is built by hand, never by printf.
bool LinkPatternIsSound(const std::string& path) {
  const size_t at = path.find("%d");
  return at != std::string::npos && path.find('%', at + 2) == std::string::npos &&
         path.find('%') == at;
}

// Where the options after --device K go. Returns false with a reason.
bool EnterDeviceSection(const std::string& value, SimProgramOptions* options, SimOptions** target,
                        std::string* error) {
  long number = 0;
  if (options->deviceCount == 0) {
    *error = "--device без --devices N перед ним";
    return false;
  }
  if (!ParseNumber(value, 1, options->deviceCount, &number)) {
    *error = "неверное значение --device: \"" + value + "\" (от 1 до " +
             std::to_string(options->deviceCount) + ")";
    return false;
  }
  if (options->devices.empty()) options->devices.assign(options->deviceCount, options->device);
  *target = &options->devices[number - 1];
  return true;
}

}  // namespace

int ParseSimArguments(int argc, const char* const* argv, SimProgramOptions* options,
                      std::string* error) {
  SimOptions* target = &options->device;  // the device options' destination
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    std::string value;
    bool hasValue = false;
    const size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    if (!TakesValue(name)) {
      if (hasValue || !(ApplyProgramFlag(name, options) || ApplyDeviceFlag(name, target))) {
        *error = "неизвестный параметр \"" + std::string(argv[i]) + "\"";
        return -1;
      }
      continue;
    }
    if (!hasValue) {
      if (i + 1 >= argc) {
        *error = "после " + name + " нужно значение";
        return -1;
      }
      value = argv[++i];
    }
    if (name == "--device") {
      if (!EnterDeviceSection(value, options, &target, error)) return -1;
      continue;
    }
    if (name == "--memory") {
      if (PreloadFirmwareSet(value, target, error) != 0) {
        *error = "--memory: набор прошивок не принят: " + *error;
        return -1;
      }
      continue;
    }
    if (IsProgramOption(name) && target != &options->device) {
      *error = name + " относится ко всем устройствам: укажите его до первого --device";
      return -1;
    }
    const bool applied = IsProgramOption(name) ? ApplyProgramValue(name, value, options)
                                               : ApplyDeviceValue(name, value, target);
    if (!applied) {
      *error = "неверное значение " + name + ": \"" + value + "\"";
      return -1;
    }
  }
  if (options->deviceCount > 0 && IsLinkPattern(options->linkPath) &&
      !LinkPatternIsSound(options->linkPath)) {
    *error = "неверное значение --link: \"" + options->linkPath + "\" (один %d, других % нет)";
    return -1;
  }
  if (options->devices.empty()) {
    options->devices.assign(options->deviceCount > 0 ? options->deviceCount : 1, options->device);
  }
  return 0;
}
