#include "cli/json_events.h"


#include <nlohmann/json.hpp>

#include "link/printable_text.h"
#include "runner/job_identity.h"
#include "runner/job_recorder.h"

namespace {

using Json = nlohmann::ordered_json;

// Names and texts may hold any bytes; the stream stays valid UTF-8.
std::string Text(const std::string& text) { return ValidUtf8Text(text); }

Json Event(const char* kind, const std::string& port) {
  Json event;
  event["v"] = jsonFormatVersion;
  event["event"] = kind;
  event["port"] = Text(port);
  return event;
}

// The columns that are numbers in the record's text stay numbers here.
Json FieldValue(const RecordField& field) {
  const std::string column = field.column;
  if (column == "exit" || column == "pages_written" || column == "pages_verified") {
    return std::stoi(field.text);
  }
  if (column == "seconds") return std::stod(field.text);
  return Text(field.text);
}

}  // namespace

void JsonEvents::Write(const std::string& line) {
  std::lock_guard<std::mutex> hold(lock);
  std::fputs((line + "\n").c_str(), out);
  std::fflush(out);
}

void JsonEvents::Start(const std::string& port, const Job& job) {
  const JobRecord row = RecordOf(job, NotRun(job, {port, port}, JobOutcome::started));
  Json event = Event("start", port);
  event["job"] = JobKindName(job.kind);
  event["firmware_sha256"] = row.firmwareSha256;
  event["firmware_release"] = Text(job.firmwareRelease);
  event["coefficients_file"] = Text(job.coefficientsFile);
  event["coefficients_sha256"] = row.coefficientsSha256;
  event["version"] = row.version;
  event["time"] = UtcTimestamp(SecondsSince1970());
  Write(event.dump());
}

void JsonEvents::Line(const std::string& port, LineKind kind, const char* text) {
  Json event = Event("line", port);
  event["kind"] = kind == LineKind::failure ? "failure" : "progress";
  event["text"] = Text(text);
  Write(event.dump());
}

void JsonEvents::Progress(const std::string& port, const PageProgress& pages, double seconds) {
  Json event = Event("progress", port);
  event["pages_written"] = pages.written;
  event["pages_to_write"] = pages.toWrite;
  event["pages_verified"] = pages.verified;
  event["pages_to_verify"] = pages.toVerify;
  event["seconds"] = seconds;
  Write(event.dump());
}

void JsonEvents::Detail(const std::string& port, const std::string& text) {
  Json event = Event("detail", port);
  event["text"] = Text(text);
  Write(event.dump());
}

void JsonEvents::End(const Job& job, const JobResult& result) {
  Json event = Event("end", result.port);
  for (const RecordField& field : RecordFields(RecordOf(job, result))) {
    event[field.column] = FieldValue(field);
  }
  Write(event.dump());
}

void JsonEvents::Summary(const std::vector<JobResult>& results, int status) {
  Json event;
  event["v"] = jsonFormatVersion;
  event["event"] = "summary";
  event["devices"] = results.size();
  Json outcomes = Json::object();
  for (const JobResult& result : results) {
    const char* name = OutcomeName(result.outcome);
    outcomes[name] = outcomes.value(name, 0) + 1;
  }
  event["outcomes"] = outcomes;
  event["exit"] = status;
  Write(event.dump());
}
