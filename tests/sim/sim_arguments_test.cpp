#include "sim/sim_arguments.h"

#include <gtest/gtest.h>

#include <functional>

#include "sim/device_names.h"

namespace {

int Parse(std::vector<const char*> args, SimProgramOptions* options, std::string* error) {
  args.insert(args.begin(), "velt-sim");
  return ParseSimArguments(static_cast<int>(args.size()), args.data(), options, error);
}

std::string Joined(const std::vector<const char*>& args) {
  std::string joined;
  for (const char* arg : args) joined += std::string(arg) + " ";
  return joined;
}

struct Accepted {
  std::vector<const char*> args;
  std::function<bool(const SimProgramOptions&)> holds;
};

void ExpectAccepted(const std::vector<Accepted>& cases) {
  for (const Accepted& c : cases) {
    SimProgramOptions options;
    std::string error;
    ASSERT_EQ(Parse(c.args, &options, &error), 0) << Joined(c.args) << error;
    EXPECT_TRUE(c.holds(options)) << Joined(c.args);
  }
}

void ExpectRejected(const std::vector<std::vector<const char*>>& cases) {
  for (const auto& args : cases) {
    SimProgramOptions options;
    std::string error;
    EXPECT_EQ(Parse(args, &options, &error), -1) << Joined(args);
    EXPECT_FALSE(error.empty()) << Joined(args);
  }
}

TEST(SimArgumentsTest, AcceptsEveryOption) {
  ExpectAccepted({
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
      {{"--fifo", "8"}, [](const SimProgramOptions& o) { return o.device.fifoBytes == 8; }},
      {{"--adapter-latency", "16"},
       [](const SimProgramOptions& o) { return o.device.adapterLatencyMs == 16; }},
      {{"--help"}, [](const SimProgramOptions& o) { return o.help && !o.version; }},
      {{"-h"}, [](const SimProgramOptions& o) { return o.help; }},
      {{"--version"}, [](const SimProgramOptions& o) { return o.version && !o.help; }},
      {{"-V"}, [](const SimProgramOptions& o) { return o.version; }},
  });
}

TEST(SimArgumentsTest, RejectsBadInputWithAReason) {
  ExpectRejected({
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
      {"--fifo", "0"},
      {"--fifo", "257"},
      {"--adapter-latency", "0"},
      {"--adapter-latency", "256"},
      {"--memory", "/nonexistent/velt-set"},
      {"--memory", FIRMWARE_DIR "/controller1.hex"},
  });
}

TEST(SimArgumentsTest, StationOptionsGoToEveryDeviceOrToTheOneNamed) {
  ExpectAccepted({
      {{"--echo-only"},
       [](const SimProgramOptions& o) {
         return o.deviceCount == 0 && o.devices.size() == 1 && o.devices[0].faults.echoOnly;
       }},
      {{"--devices=32"}, [](const SimProgramOptions& o) { return o.devices.size() == 32; }},
      {{"--baud", "0", "--devices", "3", "--device", "2", "--silent"},
       [](const SimProgramOptions& o) {
         return o.devices[0].baud == 0 && o.devices[1].baud == 0 && o.devices[2].baud == 0 &&
                !o.devices[0].faults.silent && o.devices[1].faults.silent &&
                !o.devices[2].faults.silent;
       }},
      // A device's own list adds to the one every device has.
      {{"--devices", "2", "--drop", "read:1", "--device", "1", "--drop", "erase:2"},
       [](const SimProgramOptions& o) {
         const auto& first = o.devices[0].faults.dropAnswer;
         const auto& second = o.devices[1].faults.dropAnswer;
         return first.size() == 2 && first[0].kind == SimCommand::read &&
                first[1].kind == SimCommand::erase && second.size() == 1 &&
                second[0].kind == SimCommand::read;
       }},
      {{"--devices", "3", "--device", "3", "--fill", "0", "--device", "1", "--bad-read", "2:0x2040",
        "--device", "3", "--ignore-launch"},
       [](const SimProgramOptions& o) {
         return o.devices[2].fill == 0 && o.devices[2].faults.ignoreLaunch &&
                o.devices[0].faults.badReadController == 2 && o.devices[0].fill == 0xFF &&
                o.devices[1].fill == 0xFF && o.devices[1].faults.badReadController == 0;
       }},
      // The placeholders' 53, 41 and 55 firmware pages, for device 2 alone.
      {{"--devices", "2", "--device", "2", "--memory", FIRMWARE_DIR},
       [](const SimProgramOptions& o) {
         return o.devices[0].preload.empty() && o.devices[1].preload.size() == 149;
       }},
      {{"--devices", "2", "--device=2", "--hang-up", "write:3"},
       [](const SimProgramOptions& o) {
         return o.devices[0].faults.hangUp.empty() && o.devices[1].faults.hangUp.size() == 1;
       }},
      {{"--devices", "4", "--link", "/tmp/velt-%d", "--dump", "/tmp/d"},
       [](const SimProgramOptions& o) { return o.linkPath == "/tmp/velt-%d" && o.dumpDirectory == "/tmp/d"; }},
      // Without --devices a link is a path like any other, % or not.
      {{"--link", "/tmp/100%"}, [](const SimProgramOptions& o) { return o.linkPath == "/tmp/100%"; }},
  });
}

TEST(SimArgumentsTest, RejectsAStationThatDoesNotAddUp) {
  ExpectRejected({
      {"--devices", "0"},
      {"--devices", "33"},
      {"--devices", "two"},
      {"--device", "1", "--silent"},
      {"--devices", "2", "--device", "3"},
      {"--devices", "2", "--device", "0"},
      {"--devices", "2", "--device"},
      {"--devices", "2", "--device", "1", "--link", "/tmp/l"},
      {"--devices", "2", "--device", "1", "--dump", "/tmp/d"},
      {"--devices", "2", "--device", "1", "--devices", "4"},
      {"--devices", "2", "--device", "1", "--drop", "sideways:1"},
      {"--devices", "2", "--link", "/tmp/velt-%s"},
      {"--devices", "2", "--link", "/tmp/velt-%d-%d"},
      {"--devices", "2", "--link", "/tmp/100%-%d"},
      {"--devices", "2", "--link", "/tmp/velt-%"},
  });
}

TEST(SimDeviceNamesTest, EachDeviceOfAStationGetsItsOwnLinkAndDump) {
  struct Case {
    std::vector<const char*> args;
    std::vector<std::string> links;
    std::vector<std::string> dumps;
  };
  const Case cases[] = {
      {{"--link", "/tmp/com1", "--dump", "/tmp/d"}, {"/tmp/com1"}, {"/tmp/d"}},
      {{}, {""}, {""}},
      {{"--devices", "2", "--link", "/tmp/st", "--dump", "/tmp/d"},
       {"/tmp/st/dev1", "/tmp/st/dev2"},
       {"/tmp/d/dev1", "/tmp/d/dev2"}},
      {{"--devices", "3", "--link", "/tmp/velt-%d.tty"},
       {"/tmp/velt-1.tty", "/tmp/velt-2.tty", "/tmp/velt-3.tty"},
       {"", "", ""}},
      {{"--devices", "1", "--link", "%d"}, {"1"}, {""}},
  };
  for (const Case& c : cases) {
    SimProgramOptions options;
    std::string error;
    ASSERT_EQ(Parse(c.args, &options, &error), 0) << error;
    std::vector<std::string> links, dumps;
    for (const DeviceNames& names : DeviceNamesOf(options)) {
      links.push_back(names.link);
      dumps.push_back(names.dump);
    }
    EXPECT_EQ(links, c.links);
    EXPECT_EQ(dumps, c.dumps);
  }
}

}  // namespace
