// velt-flash with several --port against one simulated device each, all in
// this test process: a station's run as a production line sees it.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "coeff/coefficient_file.h"
#include "firmware/firmware_images.h"
#include "runner/job_identity.h"
#include "record/job_record.h"
#include "sim/simulator.h"
#include "tests/cli/flash_process.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/file_text.h"
#include "tests/support/image_bytes.h"
#include "tests/support/sim_settings.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using Fields = std::vector<std::string>;

enum Column { port = 2, job, outcome, exitStatus, seconds, written, verified, firmware,
              coefficientsFile, coefficientsSha, version, lastLine, failure, release,
              columnCount };

// Each line of a station's output is "PORT: text": the texts, by port.
std::map<std::string, LogLines> ByPort(const std::string& output,
                                       const std::vector<std::string>& ports) {
  std::map<std::string, LogLines> lines;
  for (const std::string& line : Lines(output)) {
    bool known = false;
    for (const std::string& port : ports) {
      if (line.rfind(port + ": ", 0) != 0) continue;
      lines[port].push_back(line.substr(port.size() + 2));
      known = true;
    }
    EXPECT_TRUE(known) << "a line without its port: " << line;
  }
  return lines;
}

// The record's rows after its one header, by port (no field here is quoted).
std::map<std::string, std::vector<Fields>> RecordRows(const std::string& path) {
  std::map<std::string, std::vector<Fields>> rows;
  const std::string text = FileText(path);
  EXPECT_THAT(text, StartsWith(RecordHeader())) << "BOM and header first";
  for (std::string line : Lines(text.substr(std::min(text.size(), RecordHeader().size())))) {
    EXPECT_EQ(line.back(), '\r') << "CR LF ends a row";
    line.pop_back();
    Fields fields;
    for (size_t from = 0, semicolon = 0; semicolon != std::string::npos; from = semicolon + 1) {
      semicolon = line.find(';', from);
      fields.push_back(line.substr(from, semicolon - from));
    }
    EXPECT_EQ(fields.size(), static_cast<size_t>(columnCount)) << line;
    if (fields.size() == static_cast<size_t>(columnCount)) rows[fields[port]].push_back(fields);
  }
  return rows;
}

bool Contains(const LogLines& lines, const std::string& part) {
  for (const std::string& line : lines) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

void ExpectFirmwareLoaded(const Simulator& device) {
  ExpectTablesInMemory(device, BuiltInFirmwareTables());
  EXPECT_TRUE(device.ApplicationRunning());
}

class Station : public ::testing::Test {
 protected:
  // One simulated device per entry, unpaced unless `paced`.
  void Start(const std::vector<SimFaults>& faults, bool paced = false) {
    for (const SimFaults& f : faults) {
      SimOptions options = Unpaced(f);
      if (paced) options.baud = SimOptions().baud;
      devices.push_back(std::make_unique<Simulator>(options));
      ASSERT_TRUE(devices.back()->Ok());
      ports.push_back(devices.back()->DevicePath());
    }
  }
  std::vector<std::string> With(std::vector<std::string> arguments) const {
    for (const std::string& p : ports) arguments.insert(arguments.end(), {"-p", p});
    return arguments;
  }
  std::vector<std::unique_ptr<Simulator>> devices;
  std::vector<std::string> ports;
  TemporaryFolder folder{"velt-station"};
};

// One silent device, one whose line dies at a read, a port that is not
// there, one with a bad page, two sound ones, traced and on record: each
// ends as it would alone, and the others load as if the faulty ones were
// not there.
TEST_F(Station, EachDeviceEndsAsItWouldAloneAndTheFirstFailureIsTheExitStatus) {
  struct Device {
    SimFaults faults;
    bool absent;           // no device behind the port
    int status;
    const char* outcome;   // the summary's word, and the record's
    const char* recorded;
    LogLines lastLines;    // of its log
    const char* errorPart; // in its stderr lines and the record's failure
    const char* pages;     // written and verified, in the record
  };
  const SimFaults silent = Faults([](SimFaults& f) { f.silent = true; });
  const SimFaults hangsUp = Faults([](SimFaults& f) { f.hangUp = {{SimCommand::read, 10}}; });
  const SimFaults badPage =
      Faults([](SimFaults& f) { f.badReadController = 2; f.badReadPage = 0x2140; });
  const std::vector<Device> table = {
      {{}, false, 0, "запущено", "started", firmwareLog, "cm.Sync() 3", "149;149"},
      {silent, false, 2, "не отвечает", "noAnswer", {"Не отвечает."}, "ничего не пришло в ответ",
       "0;0"},
      {hangsUp, false, 1, "ошибка", "failed", {"Контроллер 1 - проверка", "Ошибка!!!."},
       "чтение страницы 0x2240 контроллера 1: ", "149;9"},
      {{}, true, 4, "порт не открылся", "portNotOpened", {}, "не открылся: порт не найден",
       "0;0"},
      {badPage, false, 1, "ошибка", "failed", {"Контроллер 2 - проверка", "Ошибка!!!."},
       "проверка страницы 0x2140 контроллера 2: прочитано не то, что записано", "149;58"},
      {{}, false, 0, "запущено", "started", firmwareLog, "cm.Sync() 3", "149;149"},
  };
  std::vector<SimFaults> faults;
  for (const Device& device : table) faults.push_back(device.faults);
  Start(faults);
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].absent) ports[i] = "/dev/velt-no-such-port";
  }
  const std::string record = folder / "jobs.csv";
  const FlashRun run = RunFlash(With({"-v", "--record", record, "firmware"}));

  // Not the largest status (4), nor the smallest or the last (1).
  EXPECT_EQ(run.status, 2) << "the silent device is the first that failed";
  std::map<std::string, LogLines> out = ByPort(run.out, ports);
  std::map<std::string, LogLines> errors = ByPort(run.err, ports);
  std::map<std::string, std::vector<Fields>> rows = RecordRows(record);
  const LogLines all = Lines(run.out);
  ASSERT_GE(all.size(), ports.size());
  const std::regex frame(R"( *\d+\.\d{3} [<>=]( [0-9A-F]{2})+)");
  for (size_t i = 0; i < ports.size(); ++i) {
    const Device& device = table[i];
    SCOPED_TRACE(ports[i]);
    // The summary closes the output, in --port order.
    EXPECT_TRUE(std::regex_match(all[all.size() - ports.size() + i],
                                 std::regex(ports[i] + ": итог: " + device.outcome + ", код " +
                                            std::to_string(device.status) + R"(, \d+\.\d с)")))
        << all[all.size() - ports.size() + i];
    LogLines log = out[ports[i]];
    ASSERT_GE(log.size(), device.lastLines.size() + 1);
    log.pop_back();  // the summary
    EXPECT_EQ(LogLines(log.end() - device.lastLines.size(), log.end()), device.lastLines);
    // Its trace and what it says, all behind its port.
    LogLines said;
    for (const std::string& line : errors[ports[i]]) {
      if (!std::regex_match(line, frame)) said.push_back(line);
    }
    EXPECT_TRUE(Contains(said, device.errorPart)) << ::testing::PrintToString(said);
    EXPECT_EQ(said.size() < errors[ports[i]].size(), !device.absent) << "frames traced";

    ASSERT_EQ(rows[ports[i]].size(), 1u);
    const Fields& row = rows[ports[i]][0];
    EXPECT_EQ(row[job], "firmware");
    EXPECT_EQ(row[outcome], device.recorded);
    EXPECT_EQ(row[exitStatus], std::to_string(device.status));
    EXPECT_EQ(row[written] + ";" + row[verified], device.pages);
    EXPECT_EQ(row[lastLine], device.lastLines.empty() ? "" : device.lastLines.back());
    EXPECT_EQ(row[firmware], FirmwareSha256(BuiltInFirmwareTables()));
    if (device.status == 0) {
      EXPECT_EQ(log, firmwareLog);
      ExpectFirmwareLoaded(*devices[i]);
    } else if (device.status != 2) {  // "Не отвечает." names no step
      EXPECT_THAT(row[failure], HasSubstr(device.errorPart));
    }
  }
  EXPECT_TRUE(devices[2]->HungUp());
  EXPECT_TRUE(devices[3]->Transcript().empty());
}

TEST_F(Station, APortTwiceOrASaveOnSeveralIsAUsageErrorThatSendsNothing) {
  Start({{}, {}});
  std::vector<std::string> tooMany = {"reset"};
  for (int n = 0; n <= 32; ++n) tooMany.insert(tooMany.end(), {"-p", "/dev/v" + std::to_string(n)});
  const std::string link = folder / "dev1";
  const std::string otherLink = folder / "dev1-again";
  ASSERT_EQ(symlink(ports[0].c_str(), link.c_str()), 0);
  ASSERT_EQ(symlink(ports[0].c_str(), otherLink.c_str()), 0);
  const std::string doubled = "/dev/pts//" + ports[0].substr(ports[0].rfind('/') + 1);
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::string reason;
  } cases[] = {
      {With({"-p", ports[0], "firmware"}), {}, "задан дважды"},
      {{"-p", "1", "-p", ports[0], "reset"}, {"VELT_COM1=" + ports[0]},
       "\"1\" и \"" + ports[0] + "\" - один порт"},
      {{"-p", link, "-p", ports[0], "reset"}, {}, "\"" + link + "\" и \"" + ports[0] + "\" - один порт"},
      {{"-p", link, "-p", otherLink, "reset"}, {}, "- один порт"},
      {{"-p", ports[0], "-p", doubled, "reset"}, {}, "- один порт"},
      {{"-p", "1", "-p", ports[0], "reset"}, {"VELT_COM1=" + link}, "- один порт"},
      {With({"save-coefficients", folder / "k.koeff"}), {}, "одно устройство"},
      {tooMany, {}, "больше 32"},
  };
  for (const auto& c : cases) {
    const FlashRun run = RunFlash(c.arguments, c.environment);
    EXPECT_EQ(run.status, 64) << run.err;
    EXPECT_THAT(run.err, HasSubstr(c.reason));
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
  for (const auto& device : devices) EXPECT_TRUE(device->Transcript().empty());
}

TEST_F(Station, CtrlCStopsEveryDeviceBetweenTwoSteps) {
  Start({{}, {}}, true);  // paced, so that the load still runs when the signal comes
  const FlashRun run = RunFlashAndInterrupt(With({"firmware"}), 700);
  EXPECT_EQ(run.status, 130) << run.err;
  std::map<std::string, LogLines> out = ByPort(run.out, ports);
  std::map<std::string, LogLines> errors = ByPort(run.err, ports);
  for (const std::string& p : ports) {
    ASSERT_FALSE(out[p].empty()) << p;
    const std::regex stopped(R"(итог: прервано, код 130, \d+\.\d с)");
    EXPECT_TRUE(std::regex_match(out[p].back(), stopped)) << out[p].back();
    EXPECT_FALSE(Contains(out[p], "Ошибка")) << "a stop is no failure";
    EXPECT_EQ(errors[p], LogLines{"velt-flash: прервано"}) << p;
  }
  EXPECT_EQ(RunFlash(With({"reset"})).status, 0) << "both ports let go";
}

TEST_F(Station, OnATerminalEachDeviceHasARowThatFitsAndStaysInPlace) {
  Start({{}, {}, {}, {}});
  TerminalRun terminal;
  terminal.columns = 50;
  terminal.rows = 4;  // two rows, one for the other two devices, the cursor's line
  terminal.errorsToTerminal = true;
  const FlashRun run = RunFlashOnTerminal(With({"firmware"}), terminal);
  EXPECT_EQ(run.status, 0);
  for (const std::string& piece : DrawnPieces(run.out)) EXPECT_LT(Characters(piece), 50) << piece;
  const size_t lastFrame = run.out.rfind("\r\x1b[3A");  // back up to the first row
  ASSERT_NE(lastFrame, std::string::npos);
  const std::string finalRows = run.out.substr(lastFrame);
  EXPECT_THAT(finalRows, HasSubstr("ещё устройств: 2, закончили 2"));
  EXPECT_THAT(finalRows, HasSubstr("100 %"));
  // Below the rows: what the devices said on stderr, then the summary.
  const std::string plain =
      std::regex_replace(finalRows, std::regex("\x1b\\[[0-9;]*[A-Za-z]|\r"), "");
  for (size_t i = 0; i < ports.size(); ++i) {
    EXPECT_THAT(plain, HasSubstr("\n" + ports[i] + ": cm.Sync() 3\n"));
    EXPECT_TRUE(std::regex_search(
        plain, std::regex("\n" + ports[i] + ": итог: запущено, код 0, \\d+\\.\\d с\n")))
        << plain;
    ExpectFirmwareLoaded(*devices[i]);
  }
}

// The record is opened before any port: what cannot take a row stops the
// run with status 6 before anything is sent.
TEST_F(Station, ARecordThatCannotBeKeptIsStatusSixBeforeAnythingIsSent) {
  Start({{}, {}});
  const std::string pipe = folder / "fifo.csv";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const struct {
    std::string record;
    const char* reason;
  } cases[] = {
      {folder / "none/jobs.csv", "не удалось открыть"},
      {pipe, "канал"},
      {"/dev/null", "устройство"},
      {"/dev/full", "устройство"},
      {folder.Path(), "папка"},
  };
  for (const auto& c : cases) {
    const FlashRun run = RunFlash(With({"--record", c.record, "reset"}));
    EXPECT_EQ(run.status, 6) << c.record;
    EXPECT_THAT(run.err, StartsWith("velt-flash: журнал работ недоступен: " + c.record + ": "));
    EXPECT_THAT(run.err, HasSubstr(c.reason));
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
  for (const auto& device : devices) EXPECT_TRUE(device->Transcript().empty());
}

// A record whose name cannot be opened again once the jobs run (its folder
// removed) takes no row: each device's status is 6 after its job.
TEST_F(Station, ARowThatCannotBeWrittenMakesTheDevicesStatusSix) {
  Start({{}, {}}, true);  // paced, so that the jobs still run when the folder goes
  const std::string kept = folder / "kept";
  ASSERT_EQ(mkdir(kept.c_str(), 0700), 0);
  const FlashRun run = RunFlashAndMeanwhile(With({"--record", kept + "/jobs.csv", "reset"}), 300,
                                            [&kept](pid_t) { std::filesystem::remove_all(kept); });
  EXPECT_EQ(run.status, 6);
  for (const std::string& p : ports) {
    EXPECT_TRUE(std::regex_search(run.out, std::regex(p + ": итог: запущено, код 6, "))) << run.out;
    EXPECT_THAT(run.err, HasSubstr(p + ": velt-flash: журнал работ недоступен: " + kept));
  }
}

// Judged once for all the ports; nothing is sent, and every device still
// has its summary line and its row.
TEST_F(Station, ARejectedFileIsSaidOnceAndEveryDeviceKeepsItsLineAndRow) {
  Start({{}, {}});
  const std::string file = folder / "empty.koeff";
  std::fclose(std::fopen(file.c_str(), "w"));
  const std::string record = folder / "jobs.csv";
  const FlashRun run = RunFlash(With({"--record", record, "write", file}));
  EXPECT_EQ(run.status, 5);
  EXPECT_EQ(Lines(run.err),
            LogLines{"velt-flash: файл коэффициентов " + file + " отклонён: файл пуст"});
  std::map<std::string, std::vector<Fields>> rows = RecordRows(record);
  for (size_t i = 0; i < ports.size(); ++i) {
    EXPECT_EQ(Lines(run.out)[i], ports[i] + ": итог: файл отклонён, код 5, 0.0 с");
    ASSERT_EQ(rows[ports[i]].size(), 1u);
    EXPECT_EQ(rows[ports[i]][0][outcome], "fileRejected");
    EXPECT_EQ(rows[ports[i]][0][coefficientsFile], file);
    EXPECT_TRUE(devices[i]->Transcript().empty());
  }
}

// Each ВЕЛТ has coefficients of its own: a file per port, in the ports'
// order, each device written with its own and recorded with its own.
class StationFiles : public Station {
 protected:
  // Three files of 28 equal values, a different value in each.
  void WriteFiles(const std::vector<std::string>& values) {
    for (const std::string& value : values) {
      files.push_back(folder / ("c" + value + ".koeff"));
      std::string text;
      for (int n = 0; n < coefficientCount; ++n) text += value + "\n";
      FILE* file = std::fopen(files.back().c_str(), "w");
      std::fputs(text.c_str(), file);
      std::fclose(file);
    }
  }
  std::vector<std::string> files;
};

TEST_F(StationFiles, EachDeviceGetsTheFileGivenInItsPlace) {
  Start({{}, {}, {}});
  WriteFiles({"1.5", "-2", "0.25"});
  const std::string record = folder / "jobs.csv";
  std::vector<std::string> arguments = With({"--record", record, "write"});
  arguments.insert(arguments.end(), files.begin(), files.end());
  const FlashRun run = RunFlash(arguments);
  ASSERT_EQ(run.status, 0) << run.err;
  std::map<std::string, std::vector<Fields>> rows = RecordRows(record);
  for (size_t i = 0; i < ports.size(); ++i) {
    CoefficientImage image{};
    ASSERT_EQ(ReadCoefficientFile(files[i].c_str(), &image), coefficientFileOk);
    const std::vector<uint8_t> memory = devices[i]->Memory(1);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin() + coefficientPagesStart))
        << "device " << i << " holds " << files[i];
    ASSERT_EQ(rows[ports[i]].size(), 1u);
    EXPECT_EQ(rows[ports[i]][0][coefficientsFile], files[i]);
    EXPECT_EQ(rows[ports[i]][0][coefficientsSha], CoefficientsSha256(image));
  }
}

// Every file is judged before any port is opened: one bad file of three
// sends nothing to any device, and each row still names its own file.
TEST_F(StationFiles, OneRejectedFileOfThreeSendsNothingAnywhere) {
  Start({{}, {}, {}});
  WriteFiles({"1", "2", "3"});
  std::fclose(std::fopen(files[1].c_str(), "w"));  // emptied
  const std::string record = folder / "jobs.csv";
  std::vector<std::string> arguments = With({"--record", record, "write"});
  arguments.insert(arguments.end(), files.begin(), files.end());
  const FlashRun run = RunFlash(arguments);
  EXPECT_EQ(run.status, 5);
  EXPECT_EQ(Lines(run.err),
            LogLines{"velt-flash: файл коэффициентов " + files[1] + " отклонён: файл пуст"});
  std::map<std::string, std::vector<Fields>> rows = RecordRows(record);
  for (size_t i = 0; i < ports.size(); ++i) {
    EXPECT_TRUE(devices[i]->Transcript().empty()) << "device " << i;
    ASSERT_EQ(rows[ports[i]].size(), 1u);
    EXPECT_EQ(rows[ports[i]][0][outcome], "fileRejected");
    EXPECT_EQ(rows[ports[i]][0][exitStatus], "5");
    EXPECT_EQ(rows[ports[i]][0][coefficientsFile], files[i]);
  }
}

}  // namespace
