#include "cli/flash_arguments.h"

#include <cstdlib>

#include "link/com_port.h"

const char flashUsage[] =
    "Использование:\n"
    "  velt-flash --port ПОРТ firmware          загрузить прошивки во все три контроллера\n"
    "  velt-flash --port ПОРТ write ФАЙЛ.koeff  записать коэффициенты из файла\n"
    "  velt-flash -p П1 -p П2 write Ф1.koeff Ф2.koeff\n"
    "                                           каждому устройству свой файл\n"
    "  velt-flash --port ПОРТ reset             сбросить коэффициенты к заводским\n"
    "  velt-flash --port ПОРТ verify            сверить все три контроллера с прошивками,\n"
    "                                           ничего не записывая\n"
    "  velt-flash --port ПОРТ save-coefficients ФАЙЛ.koeff [--force]\n"
    "                                           прочитать коэффициенты устройства в файл\n"
    "  velt-flash --port ПОРТ read-firmware ПАПКА [--force]\n"
    "                                           прочитать прошивки устройства в набор\n"
    "  velt-flash --port ПОРТ probe [--count N] проверить линию: какие контроллеры\n"
    "                                           отвечают, задержка адаптера, время\n"
    "                                           загрузки; ничего не записывая\n"
    "  velt-flash --list-ports                  перечислить последовательные порты\n"
    "  velt-flash firmware-info [--firmware ПАПКА]\n"
    "                                           выпуск, страницы и sha256 прошивок\n"
    "  velt-flash --help | --version\n"
    "\n"
    "ПОРТ: имя из --list-ports (ttyUSB0, COM7), путь к устройству (/dev/ttyUSB0,\n"
    "      \\\\.\\COM12) или цифра 1-4 (COM1-COM4; в Linux переменная VELT_COMk\n"
    "      или /dev/ttyS{k-1}).\n"
    "\n"
    "Несколько устройств сразу: --port можно повторить (до 32 разных портов;\n"
    "save-coefficients и read-firmware - только с одним), задание идёт на всех\n"
    "одновременно. В терминале у каждого устройства своя строка: порт, страницы,\n"
    "последнее сообщение, секунды. Иначе каждая строка устройства, и в stderr\n"
    "тоже, начинается с его порта и двоеточия. В конце - итог, строка на\n"
    "устройство: порт, исход, код завершения, секунды. write берёт один файл для\n"
    "всех или по файлу на каждый --port, в том же порядке; все файлы проверяются\n"
    "до того, как открыт хоть один порт.\n"
    "\n"
    "Параметры:\n"
    "  -p, --port ПОРТ   последовательный порт устройства (можно несколько раз)\n"
    "  --list-ports      порты компьютера: имя для --port, затем описание\n"
    "  --force           save-coefficients: заменить существующий файл;\n"
    "                    read-firmware: писать в непустую папку\n"
    "  --count N         probe: запросов присутствия каждому контроллеру (1-1000,\n"
    "                    по умолчанию 20)\n"
    "  -v, --trace       выводить в stderr каждый отправленный и принятый кадр (hex)\n"
    "  -q, --quiet       выводить только ошибки и итог\n"
    "  --json            в stdout только события JSON Lines (версия формата 1, см.\n"
    "                    README): start, line, progress, detail, end, summary;\n"
    "                    с -q без строк хода работы и событий progress; кадры\n"
    "                    --trace по-прежнему текстом в stderr\n"
    "  --color=КОГДА     цвет и обновление строк на месте: auto (по умолчанию:\n"
    "                    только в терминале, если не задана переменная NO_COLOR\n"
    "                    и TERM не dumb), always или never\n"
    "  --firmware ПАПКА  firmware, verify, probe, firmware-info: набор прошивок\n"
    "                    из ПАПКИ (controller1.hex, controller2.hex,\n"
    "                    controller3.hex в Intel HEX, release.txt) вместо\n"
    "                    встроенных; набор, что не подходит устройству,\n"
    "                    отклоняется (код 5) до отправки\n"
    "  --record ФАЙЛ     дописывать в ФАЙЛ строку о задании каждого устройства\n"
    "                    (таблица для Excel и LibreOffice: UTF-8, \";\")\n"
    "  -h, --help        эта справка\n"
    "  -V, --version     версия программы\n"
    "\n"
    "Коды завершения:\n"
    "  0    проверено, приложение запущено (\"Запуск.\")\n"
    "  1    ошибка во время записи или проверки (\"Ошибка!!!.\")\n"
    "  2    устройство не отвечает (\"Не отвечает.\")\n"
    "  3    проверено, но запуск не подтверждён (загрузчик всё ещё отвечает)\n"
    "  4    порт не открывается\n"
    "  5    файл коэффициентов отклонён\n"
    "  6    журнал работ (--record) недоступен\n"
    "  64   ошибка в командной строке\n"
    "  130  прервано (Ctrl-C) между двумя шагами\n"
    "С несколькими портами: 0, если у всех устройств 0, иначе код первого по\n"
    "порядку --port устройства, чей код не 0.\n"
    "\n"
    "verify, save-coefficients и read-firmware только читают: не стирают, не\n"
    "пишут и не меняют управляющий байт.\n"
    "verify: 0 - все страницы совпали, приложение запущено; 1 - есть отличия\n"
    "  (каждая отличающаяся страница названа в stderr) или чтение не удалось;\n"
    "  2, 3, 4 - как выше.\n"
    "save-coefficients: 0 - файл сохранён; 3 - сохранён, но запуск не подтверждён;\n"
    "  1 - чтение не удалось; 2, 4 - как выше; 5 - файл не сохранён: он уже есть\n"
    "  (без --force), значение не число (NaN, например стёртые страницы) или\n"
    "  запись не удалась.\n"
    "read-firmware: 0 - набор записан в ПАПКУ (controller1.hex - controller3.hex,\n"
    "  release.txt с портом, временем и sha256), приложение запущено; 3 - записан,\n"
    "  но запуск не подтверждён; 1 - чтение не удалось; 2, 4 - как выше; 5 - набор\n"
    "  не записан: папка не пуста (без --force), это не папка или запись не удалась.\n"
    "probe: 0 - все три контроллера ответили на каждый запрос, приложение\n"
    "  запущено; 1 - ответили не все; 2 - не ответил ни один; 3, 4 - как выше.\n"
    "  Для каждого контроллера: сколько запросов получили ответ, только эхо,\n"
    "  тишину или мусор, и время эха и ответа (мин/медиана/макс); затем задержка\n"
    "  адаптера сверх времени байтов и ожидаемое время загрузки прошивок.\n";

namespace {

constexpr char optionPrefix[] = "--";
constexpr char colourOption[] = "--color";
constexpr char portOption[] = "--port";
constexpr char recordOption[] = "--record";
constexpr char firmwareOption[] = "--firmware";
constexpr char firmwareInfoWord[] = "firmware-info";
constexpr char jobWords[] =
    "firmware, write, reset, verify, save-coefficients, read-firmware или probe";
constexpr char countOption[] = "--count";

// Everything that is not an option, in order: the job, then its file.
int TakePositional(const std::string& word, FlashArguments* arguments, std::string* error) {
  if (!arguments->job && !arguments->firmwareInfo && word == firmwareInfoWord) {
    arguments->firmwareInfo = true;
    return 0;
  }
  if (!arguments->job && !arguments->firmwareInfo) {
    arguments->job = JobKindNamed(word);
    if (arguments->job) return 0;
    *error = "неизвестное задание \"" + word + "\" (" + jobWords + ")";
    return -1;
  }
  // write may take a file per port; how many is judged once the ports are known.
  const bool takesFile =
      arguments->job == JobKind::write || (ReadsIntoFile(*arguments->job) && arguments->files.empty());
  if (takesFile) {
    arguments->files.push_back(word);
    return 0;
  }
  *error = "лишний аргумент \"" + word + "\"";
  return -1;
}

int TakePort(const std::string& port, FlashArguments* arguments, std::string* error) {
  if (port.empty()) {
    *error = "пустое имя порта";
    return -1;
  }
  arguments->ports.push_back(port);
  return 0;
}

// --color alone means always, as in the tools that have it.
int TakeColour(const std::string& word, FlashArguments* arguments, std::string* error) {
  const std::string value = word == colourOption ? "always" : word.substr(sizeof colourOption);
  if (value == "auto") arguments->colour = ColourChoice::automatic;
  else if (value == "always") arguments->colour = ColourChoice::always;
  else if (value == "never") arguments->colour = ColourChoice::never;
  else {
    *error = "неизвестное значение --color \"" + value + "\" (auto, always или never)";
    return -1;
  }
  return 0;
}

int TakeCount(int argc, const char* const* argv, int* i, FlashArguments* arguments,
              std::string* error) {
  const std::string word = argv[*i];
  if (word == countOption && *i + 1 >= argc) {
    *error = "после --count нужно число";
    return -1;
  }
  const std::string value = word == countOption ? argv[++*i] : word.substr(sizeof countOption);
  char* end = nullptr;
  const long count = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || count < 1 || count > maxProbeCount) {
    *error = "--count: число от 1 до " + std::to_string(maxProbeCount) + ", а не \"" + value + "\"";
    return -1;
  }
  arguments->probeCount = static_cast<int>(count);
  return 0;
}

int TakeRecord(int argc, const char* const* argv, int* i, FlashArguments* arguments,
               std::string* error) {
  const std::string word = argv[*i];
  if (word == recordOption && *i + 1 >= argc) {
    *error = "после --record нужен файл";
    return -1;
  }
  arguments->recordPath = word == recordOption ? argv[++*i] : word.substr(sizeof recordOption);
  if (!arguments->recordPath.empty()) return 0;
  *error = "пустое имя файла журнала";
  return -1;
}

// The options that are one letter: several may share one dash (-qv), and
// -p takes the rest of its word or the next word as the port.
int TakeShortOptions(int argc, const char* const* argv, int* i, FlashArguments* arguments,
                     std::string* error) {
  const std::string word = argv[*i];
  for (std::size_t at = 1; at < word.size(); ++at) {
    switch (word[at]) {
      case 'h': arguments->help = true; break;
      case 'V': arguments->version = true; break;
      case 'q': arguments->quiet = true; break;
      case 'v': arguments->trace = true; break;
      case 'p':
        if (at + 1 < word.size()) return TakePort(word.substr(at + 1), arguments, error);
        if (*i + 1 >= argc) {
          *error = "после -p нужен порт";
          return -1;
        }
        return TakePort(argv[++*i], arguments, error);
      default:
        *error = "неизвестный параметр \"-" + std::string(1, word[at]) + "\"";
        if (word.size() > 2) *error += " в \"" + word + "\"";
        return -1;
    }
  }
  return 0;
}

int TakeLongOption(int argc, const char* const* argv, int* i, FlashArguments* arguments,
                   std::string* error) {
  const std::string word = argv[*i];
  if (word == "--help") arguments->help = true;
  else if (word == "--version") arguments->version = true;
  else if (word == "--list-ports") arguments->listPorts = true;
  else if (word == "--force") arguments->force = true;
  else if (word == "--trace") arguments->trace = true;
  else if (word == "--quiet") arguments->quiet = true;
  else if (word == "--json") arguments->json = true;
  else if (word == colourOption || word.rfind(std::string(colourOption) + "=", 0) == 0) {
    return TakeColour(word, arguments, error);
  } else if (word == portOption) {
    if (*i + 1 >= argc) {
      *error = "после --port нужен порт";
      return -1;
    }
    return TakePort(argv[++*i], arguments, error);
  } else if (word.rfind(std::string(portOption) + "=", 0) == 0) {
    return TakePort(word.substr(sizeof portOption), arguments, error);
  } else if (word == countOption || word.rfind(std::string(countOption) + "=", 0) == 0) {
    return TakeCount(argc, argv, i, arguments, error);
  } else if (word == recordOption || word.rfind(std::string(recordOption) + "=", 0) == 0) {
    return TakeRecord(argc, argv, i, arguments, error);
  } else if (word == firmwareOption || word.rfind(std::string(firmwareOption) + "=", 0) == 0) {
    if (word == firmwareOption && *i + 1 >= argc) {
      *error = "после --firmware нужна папка набора прошивок";
      return -1;
    }
    arguments->firmwareDir =
        word == firmwareOption ? argv[++*i] : word.substr(sizeof firmwareOption);
    if (arguments->firmwareDir.empty()) {
      *error = "пустое имя папки набора прошивок";
      return -1;
    }
  } else {
    *error = "неизвестный параметр \"" + word + "\"";
    return -1;
  }
  return 0;
}

int CheckPorts(const FlashArguments& arguments, std::string* error) {
  if (arguments.ports.size() > static_cast<std::size_t>(maxPorts)) {
    *error = "портов больше " + std::to_string(maxPorts);
    return -1;
  }
  for (const std::string& port : arguments.ports) {
    if (port.size() == 1 && !IsPortDigit(port)) {
      *error = "порт цифрой: от 1 до 4";
      return -1;
    }
  }
  if (ReadsIntoFile(*arguments.job) && arguments.ports.size() > 1) {
    *error = std::string(JobKindName(*arguments.job)) + " читает одно устройство: задайте один порт";
    return -1;
  }
  return CheckPortsDistinct(arguments.ports, arguments.ports, error);
}

int CheckComplete(const FlashArguments& arguments, std::string* error) {
  if (arguments.help || arguments.version || arguments.listPorts) return 0;
  if (arguments.firmwareInfo) {
    if (arguments.ports.empty()) return 0;
    *error = "firmware-info не обращается к устройству: --port не нужен";
    return -1;
  }
  // probe predicts the load of the set it would be given.
  const bool takesFirmware = arguments.job == JobKind::firmware ||
                             arguments.job == JobKind::verify || arguments.job == JobKind::probe;
  if (!arguments.firmwareDir.empty() && arguments.job && !takesFirmware) {
    *error = "--firmware только для firmware, verify, probe и firmware-info";
    return -1;
  }
  if (!arguments.job) {
    *error = std::string("не задано задание (") + jobWords + ")";
  } else if (arguments.ports.empty()) {
    *error = "не задан порт (--port)";
  } else if (arguments.job == JobKind::write && arguments.files.empty()) {
    *error = "для write нужен файл коэффициентов";
  } else if (arguments.job == JobKind::write && arguments.files.size() != 1 &&
             arguments.files.size() != arguments.ports.size()) {
    *error = "для write нужен один файл для всех портов или по файлу на каждый --port (портов: " +
             std::to_string(arguments.ports.size()) +
             ", файлов: " + std::to_string(arguments.files.size()) + ")";
  } else if (arguments.job == JobKind::saveCoefficients && arguments.files.empty()) {
    *error = "для save-coefficients нужно имя файла";
  } else if (arguments.job == JobKind::readFirmware && arguments.files.empty()) {
    *error = "для read-firmware нужна папка";
  } else if (arguments.force && !ReadsIntoFile(*arguments.job)) {
    *error = "--force только для save-coefficients и read-firmware";
  } else if (arguments.probeCount != 0 && arguments.job != JobKind::probe) {
    *error = "--count только для probe";
  } else {
    return CheckPorts(arguments, error);
  }
  return -1;
}

}  // namespace

bool ReadsIntoFile(JobKind job) {
  return job == JobKind::saveCoefficients || job == JobKind::readFirmware;
}

int CheckPortsDistinct(const std::vector<std::string>& names, const std::vector<std::string>& shown,
                       std::string* error) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (names[i] != names[j]) continue;
      *error = shown[i] == shown[j] ? "порт \"" + shown[i] + "\" задан дважды"
                                    : "\"" + shown[j] + "\" и \"" + shown[i] + "\" - один порт";
      return -1;
    }
  }
  return 0;
}

int ParseFlashArguments(int argc, const char* const* argv, FlashArguments* arguments,
                        std::string* error) {
  *arguments = FlashArguments{};
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    const bool isOption = !optionsEnded && word.size() > 1 && word[0] == '-';
    int result = 0;
    if (!isOption) {
      result = TakePositional(word, arguments, error);
    } else if (word == optionPrefix) {
      optionsEnded = true;
    } else if (word.rfind(optionPrefix, 0) == 0) {
      result = TakeLongOption(argc, argv, &i, arguments, error);
    } else {
      result = TakeShortOptions(argc, argv, &i, arguments, error);
    }
    if (result != 0) return -1;
  }
  return CheckComplete(*arguments, error);
}
