// velt-flash --json against simulated devices: the stream a script reads,
// checked as a program would read it, against the format README promises.
#include <unistd.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "record/job_record.h"
#include "sim/simulator.h"
#include "tests/cli/flash_process.h"
#include "tests/support/file_text.h"
#include "tests/support/sim_settings.h"
#include "tests/support/temporary_folder.h"

namespace {

using Json = nlohmann::json;

// Every event's fields, as README lists them; "v" and "event" are in all.
const std::map<std::string, std::vector<std::string>> requiredFields = {
    {"start", {"port", "job", "firmware_sha256", "firmware_release", "coefficients_file",
               "coefficients_sha256", "version", "time"}},
    {"line", {"port", "kind", "text"}},
    {"progress", {"port", "pages_written", "pages_to_write", "pages_verified", "pages_to_verify",
                  "seconds"}},
    {"detail", {"port", "text"}},
    {"end", {"port", "time", "station", "job", "outcome", "exit", "seconds", "pages_written",
             "pages_verified", "firmware_sha256", "coefficients_file", "coefficients_sha256",
             "version", "last_line", "failure", "firmware_release"}},
    {"summary", {"devices", "outcomes", "exit"}},
};

// Each line parsed, in order; a line that is no JSON object fails the test.
std::vector<Json> Events(const std::string& out) {
  std::vector<Json> events;
  for (const std::string& line : Lines(out)) {
    Json event;
    EXPECT_NO_THROW(event = Json::parse(line)) << line;
    EXPECT_TRUE(event.is_object()) << line;
    EXPECT_EQ(event.value("v", 0), 1) << line;
    const std::string kind = event.value("event", "");
    const auto fields = requiredFields.find(kind);
    EXPECT_NE(fields, requiredFields.end()) << "an event of no listed kind: " << line;
    if (fields == requiredFields.end()) continue;
    for (const std::string& field : fields->second) {
      EXPECT_TRUE(event.contains(field)) << kind << " without " << field << ": " << line;
    }
    events.push_back(event);
  }
  return events;
}

// The record's rows after its header, as the column names and texts.
std::vector<std::map<std::string, std::string>> RecordRows(const std::string& path) {
  const std::string header = RecordHeader();
  const std::string text = FileText(path);
  std::vector<std::string> columns;
  const std::string names = header.substr(3, header.size() - 5);  // no BOM, no CR LF
  for (size_t from = 0, at = 0; at != std::string::npos; from = at + 1) {
    at = names.find(';', from);
    columns.push_back(names.substr(from, at - from));
  }
  std::vector<std::map<std::string, std::string>> rows;
  for (std::string line : Lines(text.substr(std::min(text.size(), header.size())))) {
    line.pop_back();  // CR
    std::map<std::string, std::string> row;
    size_t column = 0;
    for (size_t from = 0, at = 0; at != std::string::npos && column < columns.size();
         from = at + 1) {
      at = line.find(';', from);
      row[columns[column++]] = line.substr(from, at - from);
    }
    rows.push_back(row);
  }
  return rows;
}

// An end event's field as the record's text of it.
std::string AsRecordText(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number_float()) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value.get<double>());
    return text;
  }
  return value.dump();
}

class JsonStream : public ::testing::Test {
 protected:
  std::string Device(const SimFaults& faults) {
    devices.push_back(std::make_unique<Simulator>(Unpaced(faults)));
    EXPECT_TRUE(devices.back()->Ok());
    return devices.back()->DevicePath();
  }
  std::vector<std::unique_ptr<Simulator>> devices;
  TemporaryFolder folder{"velt-json"};
};

// Three devices, one silent: only JSON Lines, each event complete, the end
// events the record's rows field by field, and the station's exit status.
TEST_F(JsonStream, AStationRunIsEventsThatAgreeWithTheRecord) {
  const std::vector<std::string> ports = {Device({}), Device(Faults([](SimFaults& f) {
                                                      f.silent = true;
                                                    })),
                                          Device({})};
  const std::string record = folder / "R.csv";
  std::vector<std::string> arguments = {"--json", "--record", record};
  for (const std::string& port : ports) arguments.insert(arguments.end(), {"--port", port});
  arguments.push_back("reset");
  const FlashRun run = RunFlash(arguments);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "") << "nothing but the events, and those on stdout";

  const std::vector<Json> events = Events(run.out);
  std::vector<Json> ends;
  std::map<std::string, int> starts;
  for (const Json& event : events) {
    if (event["event"] == "end") ends.push_back(event);
    if (event["event"] == "start") ++starts[event["port"]];
  }
  for (const std::string& port : ports) EXPECT_EQ(starts[port], 1) << port;
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back()["event"], "summary");
  EXPECT_EQ(events.back()["exit"], 2);
  EXPECT_EQ(events.back()["outcomes"]["started"], 2);
  EXPECT_EQ(events.back()["outcomes"]["noAnswer"], 1);

  const auto rows = RecordRows(record);
  ASSERT_EQ(rows.size(), ends.size());
  for (const Json& end : ends) {
    bool matched = false;
    for (const auto& row : rows) {
      if (row.at("port") != end["port"]) continue;
      matched = true;
      for (const auto& [column, text] : row) {
        EXPECT_EQ(AsRecordText(end[column]), text) << column << " of " << row.at("port");
      }
    }
    EXPECT_TRUE(matched) << end.dump();
  }
}

// One table of how a job can end, each as its events say it.
TEST_F(JsonStream, EachOutcomeEndsItsDevicesEvents) {
  const std::string emptyFile = folder / "empty.koeff";
  std::fclose(std::fopen(emptyFile.c_str(), "w"));
  const struct {
    const char* outcome;
    SimFaults faults;
    bool absent;
    std::vector<std::string> job;
    int status;
    const char* detailPart;  // in one of its detail events; "" for none wanted
  } cases[] = {
      {"started", {}, false, {"reset"}, 0, ""},
      {"failed", Faults([](SimFaults& f) { f.badReadController = 1; f.badReadPage = 0x7040; }),
       false, {"reset"}, 1, "не удалось: проверка страницы 0x7040"},
      {"noAnswer", Faults([](SimFaults& f) { f.silent = true; }), false, {"reset"}, 2,
       "ничего не пришло в ответ"},
      {"portNotOpened", {}, true, {"reset"}, 4, "не открылся"},
      {"startNotConfirmed", Faults([](SimFaults& f) { f.ignoreLaunch = true; }), false,
       {"reset"}, 3, "запуск приложения не подтверждён"},
      {"fileRejected", {}, false, {"write", emptyFile}, 5, "отклонён: файл пуст"},
  };
  for (const auto& c : cases) {
    const std::string port = c.absent ? folder / "no-such-port" : Device(c.faults);
    std::vector<std::string> arguments = {"--json", "--port", port};
    arguments.insert(arguments.end(), c.job.begin(), c.job.end());
    const FlashRun run = RunFlash(arguments);
    EXPECT_EQ(run.status, c.status) << c.outcome;
    const std::vector<Json> events = Events(run.out);
    ASSERT_GE(events.size(), 2u) << c.outcome;
    EXPECT_EQ(events.front()["event"], "start") << c.outcome;
    EXPECT_EQ(events.back()["event"], "end") << c.outcome << ": no summary for one port";
    EXPECT_EQ(events.back()["outcome"], c.outcome);
    EXPECT_EQ(events.back()["exit"], c.status) << c.outcome;
    bool detailSeen = *c.detailPart == '\0';
    for (const Json& event : events) {
      if (event["event"] != "detail") continue;
      detailSeen = detailSeen || event["text"].get<std::string>().find(c.detailPart) !=
                                     std::string::npos;
    }
    EXPECT_TRUE(detailSeen) << c.outcome << ": " << run.out;
  }
}

// Names from the file system are any bytes; the stream stays JSON that a
// parser accepts, with them as the console shows them.
TEST_F(JsonStream, NamesThatAreNotUtf8StayParsable) {
  const std::string port = folder / "dev\xff\x01";  // not there: its name goes into the events
  const std::string file = folder / "c\xfe.koeff";
  std::fclose(std::fopen(file.c_str(), "w"));
  for (const std::vector<std::string>& job :
       {std::vector<std::string>{"reset"}, std::vector<std::string>{"write", file}}) {
    std::vector<std::string> arguments = {"--json", "--port", port};
    arguments.insert(arguments.end(), job.begin(), job.end());
    const FlashRun run = RunFlash(arguments);
    const std::vector<Json> events = Events(run.out);
    ASSERT_FALSE(events.empty());
    EXPECT_NE(run.out.find("\\\\xFF"), std::string::npos) << run.out;
    for (const Json& event : events) {
      if (event.contains("coefficients_file") && event["coefficients_file"] != "") {
        EXPECT_NE(event["coefficients_file"].get<std::string>().find("\\xFE"), std::string::npos);
      }
    }
  }
}

// A stopped job's events end with its end, as any other.
TEST_F(JsonStream, AStopEndsTheStreamWithTheDevicesEnd) {
  SimOptions options;  // paced, so that the stop comes mid-load
  devices.push_back(std::make_unique<Simulator>(options));
  ASSERT_TRUE(devices.back()->Ok());
  const FlashRun run =
      RunFlashAndInterrupt({"--json", "--port", devices.back()->DevicePath(), "firmware"}, 700);
  EXPECT_EQ(run.status, 130);
  const std::vector<Json> events = Events(run.out);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back()["event"], "end");
  EXPECT_EQ(events.back()["outcome"], "stopped");
}

}  // namespace
