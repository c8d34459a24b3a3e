#include "cli/flash_arguments.h"

#include <cstring>

const char flashUsage[] =
    "Использование:\n"
    "  velt-flash --port ПОРТ firmware          загрузить прошивки во все три контроллера\n"
    "  velt-flash --port ПОРТ write ФАЙЛ.koeff  записать коэффициенты из файла\n"
    "  velt-flash --port ПОРТ reset             сбросить коэффициенты к заводским\n"
    "  velt-flash --port ПОРТ verify            сверить все три контроллера с прошивками,\n"
    "                                           ничего не записывая\n"
    "  velt-flash --port ПОРТ save-coefficients ФАЙЛ.koeff [--force]\n"
    "                                           прочитать коэффициенты устройства в файл\n"
    "  velt-flash --list-ports                  перечислить последовательные порты\n"
    "  velt-flash --help | --version\n"
    "\n"
    "ПОРТ: имя из --list-ports (ttyUSB0, COM7), путь к устройству (/dev/ttyUSB0,\n"
    "      \\\\.\\COM12) или цифра 1-4 (COM1-COM4; в Linux переменная VELT_COMk\n"
    "      или /dev/ttyS{k-1}).\n"
    "\n"
    "Параметры:\n"
    "  --port ПОРТ   последовательный порт устройства\n"
    "  --list-ports  порты компьютера: имя для --port, затем описание\n"
    "  --force       save-coefficients: заменить существующий файл\n"
    "  --trace       выводить в stderr каждый отправленный и принятый кадр (hex)\n"
    "  --help        эта справка\n"
    "  --version     версия программы\n"
    "\n"
    "Коды завершения:\n"
    "  0    проверено, приложение запущено (\"Запуск.\")\n"
    "  1    ошибка во время записи или проверки (\"Ошибка!!!.\")\n"
    "  2    устройство не отвечает (\"Не отвечает.\")\n"
    "  3    проверено, но запуск не подтверждён (загрузчик всё ещё отвечает)\n"
    "  4    порт не открывается\n"
    "  5    файл коэффициентов отклонён\n"
    "  64   ошибка в командной строке\n"
    "  130  прервано (Ctrl-C) между двумя шагами\n"
    "\n"
    "verify и save-coefficients только читают: не стирают, не пишут и не меняют\n"
    "управляющий байт.\n"
    "verify: 0 - все страницы совпали, приложение запущено; 1 - есть отличия\n"
    "  (каждая отличающаяся страница названа в stderr) или чтение не удалось;\n"
    "  2, 3, 4 - как выше.\n"
    "save-coefficients: 0 - файл сохранён; 3 - сохранён, но запуск не подтверждён;\n"
    "  1 - чтение не удалось; 2, 4 - как выше; 5 - файл не сохранён: он уже есть\n"
    "  (без --force), значение не число (NaN, например стёртые страницы) или\n"
    "  запись не удалась.\n";

namespace {

constexpr char optionPrefix[] = "--";

bool TakeJob(const std::string& word, FlashJob* job) {
  if (word == "firmware") *job = FlashJob::firmware;
  else if (word == "write") *job = FlashJob::write;
  else if (word == "reset") *job = FlashJob::reset;
  else if (word == "verify") *job = FlashJob::verify;
  else if (word == "save-coefficients") *job = FlashJob::saveCoefficients;
  else return false;
  return true;
}

// Everything that is not an option, in order: the job, then its file.
int TakePositional(const std::string& word, FlashArguments* arguments, std::string* error) {
  if (arguments->job == FlashJob::none) {
    if (TakeJob(word, &arguments->job)) return 0;
    *error = "неизвестное задание \"" + word +
             "\" (firmware, write, reset, verify или save-coefficients)";
    return -1;
  }
  const bool takesFile =
      arguments->job == FlashJob::write || arguments->job == FlashJob::saveCoefficients;
  if (takesFile && arguments->file.empty()) {
    arguments->file = word;
    return 0;
  }
  *error = "лишний аргумент \"" + word + "\"";
  return -1;
}

int CheckComplete(const FlashArguments& arguments, std::string* error) {
  if (arguments.help || arguments.version || arguments.listPorts) return 0;
  if (arguments.job == FlashJob::none) {
    *error = "не задано задание (firmware, write, reset, verify или save-coefficients)";
  } else if (arguments.port.empty()) {
    *error = "не задан порт (--port)";
  } else if (arguments.job == FlashJob::write && arguments.file.empty()) {
    *error = "для write нужен файл коэффициентов";
  } else if (arguments.job == FlashJob::saveCoefficients && arguments.file.empty()) {
    *error = "для save-coefficients нужно имя файла";
  } else if (arguments.force && arguments.job != FlashJob::saveCoefficients) {
    *error = "--force только для save-coefficients";
  } else if (arguments.port.size() == 1 && !IsPortDigit(arguments.port)) {
    *error = "порт цифрой: от 1 до 4";
  } else {
    return 0;
  }
  return -1;
}

}  // namespace

bool IsPortDigit(const std::string& port) {
  return port.size() == 1 && port[0] >= '1' && port[0] <= '4';
}

int ParseFlashArguments(int argc, const char* const* argv, FlashArguments* arguments,
                        std::string* error) {
  *arguments = FlashArguments{};
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    const bool isOption = !optionsEnded && word.size() > 1 && word[0] == '-';
    if (!isOption) {
      if (TakePositional(word, arguments, error) != 0) return -1;
      continue;
    }
    if (word == optionPrefix) {
      optionsEnded = true;
    } else if (word == "--help" || word == "-h") {
      arguments->help = true;
    } else if (word == "--version") {
      arguments->version = true;
    } else if (word == "--list-ports") {
      arguments->listPorts = true;
    } else if (word == "--force") {
      arguments->force = true;
    } else if (word == "--trace") {
      arguments->trace = true;
    } else if (word == "--port" || word.rfind("--port=", 0) == 0) {
      const std::size_t equals = word.find('=');
      if (equals == std::string::npos && i + 1 >= argc) {
        *error = "после --port нужен порт";
        return -1;
      }
      arguments->port = equals == std::string::npos ? argv[++i] : word.substr(equals + 1);
      if (arguments->port.empty()) {
        *error = "пустое имя порта";
        return -1;
      }
    } else {
      *error = "неизвестный параметр \"" + word + "\"";
      return -1;
    }
  }
  return CheckComplete(*arguments, error);
}
