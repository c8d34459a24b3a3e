#include "sim/sim_arguments.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

int Parse(std::vector<const char*> args, SimProgramOptions* options, std::string* error) {
  args.insert(args.begin(), "velt-sim");
  return ParseSimArguments(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(SimArgumentsTest, AcceptsEveryOption) {
  struct Case {
    std::vector<const char*> args;
    std::function<bool(const SimProgramOptions&)> holds;
  };
  const Case cases[] = {
      {{}, [](const SimProgramOptions& o) { return o.device.baud == 57600 && o.device.fill == 0xFF; }},
      {{"--baud", "0"}, [](const SimProgramOptions& o) { return o.device.baud == 0; }},
      {{"--baud=115200"}, [](const SimProgramOptions& o) { return o.device.baud == 115200; }},
      {{"--fill", "0x5a"}, [](const SimProgramOptions& o) { return o.device.fill == 0x5A; }},
      {{"--erase-latency", "7", "--write-latency=3"},
       [](const SimProgramOptions& o) {
         return o.device.eraseLatencyMs == 7 && o.device.writeLatencyMs == 3;
       }},
      {{"--stay-launched", "--silent", "--echo-only", "--ignore-launch"},
       [](const SimProgramOptions& o) {
         return o.device.stayLaunched && o.device.faults.silent && o.device.faults.echoOnly &&
                o.device.faults.ignoreLaunch;
       }},
      {{"--link", "/tmp/x", "--dump", "/tmp/d"},
       [](const SimProgramOptions& o) { return o.linkPath == "/tmp/x" && o.dumpDirectory == "/tmp/d"; }},
      {{"--drop", "query:1:2", "--drop", "erase:3"},
       [](const SimProgramOptions& o) {
         const auto& d = o.device.faults.dropAnswer;
         return d.size() == 2 && d[0].kind == SimCommand::query && d[0].nth == 1 &&
                d[0].count == 2 && d[1].kind == SimCommand::erase && d[1].nth == 3 &&
                d[1].count == 1;
       }},
      {{"--corrupt", "read:2", "--stray", "write:4:2", "--hang-up", "select:1"},
       [](const SimProgramOptions& o) {
         const SimFaults& f = o.device.faults;
         return f.corruptChecksum.size() == 1 && f.corruptChecksum[0].kind == SimCommand::read &&
                f.strayBytes.size() == 1 && f.strayBytes[0].count == 2 && f.hangUp.size() == 1 &&
                f.hangUp[0].kind == SimCommand::select;
       }},
      {{"--bad-read", "2:0x2040"},
       [](const SimProgramOptions& o) {
         return o.device.faults.badReadController == 2 && o.device.faults.badReadPage == 0x2040;
       }},
      {{"--help"}, [](const SimProgramOptions& o) { return o.help && !o.version; }},
      {{"-h"}, [](const SimProgramOptions& o) { return o.help; }},
      {{"--version"}, [](const SimProgramOptions& o) { return o.version && !o.help; }},
      {{"-V"}, [](const SimProgramOptions& o) { return o.version; }},
  };
  for (const Case& c : cases) {
    SimProgramOptions options;
    std::string error;
    std::string joined;
    for (const char* arg : c.args) joined += std::string(arg) + " ";
    ASSERT_EQ(Parse(c.args, &options, &error), 0) << joined << error;
    EXPECT_TRUE(c.holds(options)) << joined;
  }
}

TEST(SimArgumentsTest, RejectsBadInputWithAReason) {
  const std::vector<std::vector<const char*>> cases = {
      {"--bogus"},
      {"--baud"},
      {"--baud", "fast"},
      {"--baud", "-1"},
      {"--fill", "256"},
      {"--drop", "query"},
      {"--drop", "reboot:1"},
      {"--drop", "query:0"},
      {"--drop", "query:1:0"},
      {"--drop", "query:1:2:3"},
      {"--hang-up", "write:1:2"},
      {"--bad-read", "4:0x2000"},
      {"--bad-read", "1:0x8000"},
      {"--silent=yes"},
      {"--version=1"},
      {"-v"},
      {"--link", ""},
  };
  for (const auto& args : cases) {
    SimProgramOptions options;
    std::string error;
    EXPECT_EQ(Parse(args, &options, &error), -1) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

}  // namespace
