#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/flash_arguments.h"
#include "link/com_port.h"

namespace {

using ::testing::HasSubstr;

int Parse(std::vector<const char*> words, FlashArguments* arguments, std::string* error) {
  words.insert(words.begin(), "velt-flash");
  return ParseFlashArguments(static_cast<int>(words.size()), words.data(), arguments, error);
}

struct Refusal {
  std::vector<const char*> words;
  const char* reasonPart;
};

void ExpectRefused(const std::vector<Refusal>& cases) {
  for (const Refusal& c : cases) {
    FlashArguments arguments;
    std::string error;
    EXPECT_EQ(Parse(c.words, &arguments, &error), -1) << c.reasonPart;
    EXPECT_THAT(error, HasSubstr(c.reasonPart));
  }
}

TEST(FlashArguments, AcceptsTheThreeJobsInAnyOrderOfOptions) {
  struct Case {
    std::vector<const char*> words;
    std::string port;
    JobKind job;
    std::vector<std::string> files;
    bool trace;
  };
  const Case cases[] = {
      {{"--port", "/dev/ttyUSB0", "firmware"}, "/dev/ttyUSB0", JobKind::firmware, {}, false},
      {{"reset", "--port", "2"}, "2", JobKind::reset, {}, false},
      {{"--port=COM7", "--trace", "write", "a.koeff"}, "COM7", JobKind::write, {"a.koeff"}, true},
      {{"--port", "ttyUSB0", "firmware"}, "ttyUSB0", JobKind::firmware, {}, false},
      {{"write", "--port", "1", "--", "-odd.koeff"}, "1", JobKind::write, {"-odd.koeff"}, false},
      {{"--trace", "--port", "/dev/pts/3", "write", "-"}, "/dev/pts/3", JobKind::write, {"-"}, true},
  };
  for (const Case& c : cases) {
    FlashArguments arguments;
    std::string error;
    ASSERT_EQ(Parse(c.words, &arguments, &error), 0) << error;
    EXPECT_EQ(arguments.ports, std::vector<std::string>{c.port});
    EXPECT_EQ(arguments.job, c.job);
    EXPECT_EQ(arguments.files, c.files);
    EXPECT_EQ(arguments.trace, c.trace);
  }
}

// write takes one file for every port, or one per port in the ports' order.
TEST(FlashArguments, WriteTakesOneFileOrOnePerPort) {
  const struct {
    std::vector<const char*> words;
    std::vector<std::string> files;
  } cases[] = {
      {{"-p", "1", "-p", "2", "-p", "3", "write", "a.koeff"}, {"a.koeff"}},
      {{"-p", "1", "-p", "2", "write", "a.koeff", "b.koeff"}, {"a.koeff", "b.koeff"}},
      {{"write", "b.koeff", "-p", "2", "a.koeff", "-p", "1"}, {"b.koeff", "a.koeff"}},
  };
  for (const auto& c : cases) {
    FlashArguments arguments;
    std::string error;
    ASSERT_EQ(Parse(c.words, &arguments, &error), 0) << error;
    EXPECT_EQ(arguments.files, c.files);
  }
}

TEST(FlashArguments, HelpAndVersionNeedNothingElse) {
  FlashArguments arguments;
  std::string error;
  ASSERT_EQ(Parse({"--help"}, &arguments, &error), 0);
  EXPECT_TRUE(arguments.help);
  ASSERT_EQ(Parse({"-h"}, &arguments, &error), 0);
  EXPECT_TRUE(arguments.help);
  ASSERT_EQ(Parse({"--version"}, &arguments, &error), 0);
  EXPECT_TRUE(arguments.version);
  EXPECT_FALSE(arguments.help) << "a second parse starts from scratch";
}

TEST(FlashArguments, ListPortsNeedsNoJobAndNoPort) {
  FlashArguments arguments;
  std::string error;
  ASSERT_EQ(Parse({"--list-ports"}, &arguments, &error), 0) << error;
  EXPECT_TRUE(arguments.listPorts);
  EXPECT_FALSE(arguments.job.has_value());
  ASSERT_EQ(Parse({"--port", "1", "reset"}, &arguments, &error), 0);
  EXPECT_FALSE(arguments.listPorts);
  EXPECT_THAT(flashUsage, HasSubstr("--list-ports"));
}

TEST(FlashArguments, RejectsWhatCannotBeRun) {
  ExpectRefused({
      {{}, "задание"},
      {{"--port", "1"}, "задание"},
      {{"firmware"}, "--port"},
      {{"--port"}, "--port"},
      {{"--port=", "reset"}, "пустое"},
      {{"--port", "1", "flash"}, "\"flash\""},
      {{"--port", "1", "write"}, "файл"},
      {{"--port", "1", "reset", "extra.koeff"}, "\"extra.koeff\""},
      {{"--port", "1", "write", "a.koeff", "b.koeff"}, "по файлу на каждый --port"},
      {{"-p", "1", "-p", "2", "write", "a.koeff", "b.koeff", "c.koeff"}, "файлов: 3"},
      {{"--port", "1", "--baud", "9600", "reset"}, "\"--baud\""},
      {{"--port", "5", "reset"}, "1 до 4"},
      {{"--port", "0", "reset"}, "1 до 4"},
      {{"--port", "1", "save-coefficients"}, "имя файла"},
      {{"--port", "1", "verify", "a.koeff"}, "\"a.koeff\""},
      {{"--port", "1", "--force", "write", "a.koeff"}, "--force"},
      {{"--port", "1", "save-coefficients", "a.koeff", "b.koeff"}, "\"b.koeff\""},
  });
}

TEST(FlashArguments, TakesTheReadingJobsAndForceOnlyForSaving) {
  struct Case {
    std::vector<const char*> words;
    JobKind job;
    std::vector<std::string> files;
    bool force;
  };
  const Case cases[] = {
      {{"--port", "1", "verify"}, JobKind::verify, {}, false},
      {{"save-coefficients", "k.koeff", "--port", "1"}, JobKind::saveCoefficients, {"k.koeff"},
       false},
      {{"--force", "--port", "1", "save-coefficients", "k.koeff"}, JobKind::saveCoefficients,
       {"k.koeff"}, true},
  };
  for (const Case& c : cases) {
    FlashArguments arguments;
    std::string error;
    ASSERT_EQ(Parse(c.words, &arguments, &error), 0) << error;
    EXPECT_EQ(arguments.job, c.job);
    EXPECT_EQ(arguments.files, c.files);
    EXPECT_EQ(arguments.force, c.force);
  }
}

TEST(FlashArguments, ProbeTakesACountOnlyForItself) {
  struct Case {
    std::vector<const char*> words;
    int count;  // 0: not given, the job's default
  };
  const Case cases[] = {
      {{"--port", "1", "probe"}, 0},
      {{"--count=1000", "-p", "1", "-p", "2", "--firmware", "set", "probe"}, 1000},
  };
  for (const Case& c : cases) {
    FlashArguments arguments;
    std::string error;
    ASSERT_EQ(Parse(c.words, &arguments, &error), 0) << error;
    EXPECT_EQ(arguments.job, JobKind::probe);
    EXPECT_EQ(arguments.probeCount, c.count);
  }
  ExpectRefused({
      {{"--port", "1", "probe", "--count"}, "после --count"},
      {{"--port", "1", "probe", "--count", "0"}, "от 1 до 1000"},
      {{"--port", "1", "probe", "--count=1001"}, "\"1001\""},
      {{"--port", "1", "probe", "--count", "5x"}, "\"5x\""},
      {{"--port", "1", "verify", "--count", "5"}, "--count только для probe"},
  });
}

TEST(FlashArguments, OnlyASingleDigitOneToFourIsAPortNumber) {
  EXPECT_TRUE(IsPortDigit("1"));
  EXPECT_TRUE(IsPortDigit("4"));
  EXPECT_FALSE(IsPortDigit("5"));
  EXPECT_FALSE(IsPortDigit("12"));
  EXPECT_FALSE(IsPortDigit("/dev/ttyS1"));
}

TEST(FlashArguments, TakesShortOptionsPortsInOrderColourAndTheRecord) {
  struct Case {
    std::vector<const char*> words;
    std::vector<std::string> ports;
    bool trace;
    bool quiet;
    ColourChoice colour;
    std::string record;
  };
  const ColourChoice automatic = ColourChoice::automatic;
  const Case cases[] = {
      {{"-p", "COM7", "reset"}, {"COM7"}, false, false, automatic, ""},
      {{"-pCOM7", "reset"}, {"COM7"}, false, false, automatic, ""},
      {{"-v", "-q", "-p", "1", "reset"}, {"1"}, true, true, automatic, ""},
      {{"--quiet", "--port", "1", "reset"}, {"1"}, false, true, automatic, ""},
      {{"-qv", "-p", "1", "reset"}, {"1"}, true, true, automatic, ""},
      // The port is the next word, or the rest of this one; never an option.
      {{"-vp", "2", "reset"}, {"2"}, true, false, automatic, ""},
      {{"-qp/dev/ttyUSB0", "firmware"}, {"/dev/ttyUSB0"}, false, true, automatic, ""},
      {{"-p", "-odd", "reset"}, {"-odd"}, false, false, automatic, ""},
      {{"-p", "COM9", "--port", "3", "firmware", "--port=ttyS1", "-pCOM2"},
       {"COM9", "3", "ttyS1", "COM2"}, false, false, automatic, ""},
      {{"--color", "-p", "1", "reset"}, {"1"}, false, false, ColourChoice::always, ""},
      {{"--color=never", "-p", "1", "reset"}, {"1"}, false, false, ColourChoice::never, ""},
      {{"--color=never", "--color=auto", "-p", "1", "reset"}, {"1"}, false, false, automatic, ""},
      {{"--record", "jobs.csv", "-p", "1", "reset"}, {"1"}, false, false, automatic, "jobs.csv"},
      {{"-p", "1", "--record=Журнал.csv", "reset"}, {"1"}, false, false, automatic, "Журнал.csv"},
  };
  for (const Case& c : cases) {
    FlashArguments arguments;
    std::string error;
    ASSERT_EQ(Parse(c.words, &arguments, &error), 0) << c.words[0] << ": " << error;
    EXPECT_EQ(arguments.ports, c.ports) << c.words[0];
    EXPECT_EQ(arguments.trace, c.trace) << c.words[0];
    EXPECT_EQ(arguments.quiet, c.quiet) << c.words[0];
    EXPECT_EQ(arguments.colour, c.colour) << c.words[0];
    EXPECT_EQ(arguments.recordPath, c.record) << c.words[0];
  }
  FlashArguments arguments;
  std::string error;
  ASSERT_EQ(Parse({"-hV"}, &arguments, &error), 0);
  EXPECT_TRUE(arguments.help && arguments.version);
  std::vector<std::string> names;
  for (int n = 0; n < maxPorts; ++n) names.push_back("/dev/ttyUSB" + std::to_string(n));
  std::vector<const char*> words = {"verify"};
  for (const std::string& name : names) words.insert(words.end(), {"-p", name.c_str()});
  ASSERT_EQ(Parse(words, &arguments, &error), 0) << error;
  EXPECT_EQ(arguments.ports, names);
  words.insert(words.end(), {"-p", "/dev/ttyACM0"});
  EXPECT_EQ(Parse(words, &arguments, &error), -1);
  EXPECT_THAT(error, HasSubstr("больше 32"));
}

TEST(FlashArguments, RejectsShortOptionsAndPortListsThatCannotBeRun) {
  ExpectRefused({
      {{"reset", "-p"}, "после -p"},
      {{"-x", "-p", "1", "reset"}, "\"-x\""},
      {{"-qx", "-p", "1", "reset"}, "\"-x\" в \"-qx\""},
      {{"-p", "", "reset"}, "пустое"},
      {{"--color=sometimes", "-p", "1", "reset"}, "\"sometimes\""},
      {{"--color", "never", "-p", "1", "reset"}, "\"never\""},  // not the option's value
      {{"-p", "/dev/ttyUSB0", "-p", "/dev/ttyUSB0", "reset"}, "\"/dev/ttyUSB0\" задан дважды"},
      {{"-p", "2", "-p", "1", "--port=2", "firmware"}, "\"2\" задан дважды"},
      {{"-p", "1", "-p", "5", "reset"}, "1 до 4"},
      {{"-p", "1", "-p", "2", "save-coefficients", "k.koeff"}, "одно устройство"},
      {{"-p", "1", "reset", "--record"}, "после --record"},
      {{"-p", "1", "reset", "--record="}, "пустое имя файла журнала"},
  });
}

TEST(FlashArguments, TwoWordsForOnePortAreNamedAsGiven) {
  struct Case {
    std::vector<std::string> opened;  // what each word opens
    std::vector<std::string> given;
    const char* reason;  // "" when they are distinct
  };
  const Case cases[] = {
      {{"/dev/ttyUSB0", "/dev/ttyUSB1"}, {"ttyUSB0", "ttyUSB1"}, ""},
      {{"/dev/ttyUSB0", "/dev/ttyUSB0"}, {"ttyUSB0", "/dev/ttyUSB0"},
       "\"ttyUSB0\" и \"/dev/ttyUSB0\" - один порт"},
      {{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS0"}, {"1", "2", "/dev/ttyS0"},
       "\"1\" и \"/dev/ttyS0\" - один порт"},
      {{"COM7", "COM7"}, {"COM7", "COM7"}, "порт \"COM7\" задан дважды"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(CheckPortsDistinct(c.opened, c.given, &error), c.reason[0] == '\0' ? 0 : -1);
    EXPECT_EQ(error, c.reason);
  }
}

TEST(FlashArguments, UsageDocumentsEveryExitStatus) {
  const std::string usage = flashUsage;
  // The exit statuses, the reading jobs, the options.
  for (const char* part :
       {"  0 ", "  1 ", "  2 ", "  3 ", "  4 ", "  5 ", "  6 ", "  64 ", "  130 ", "verify",
        "save-coefficients", "--force", "-p, --port", "-v, --trace", "-q, --quiet", "-h, --help",
        "-V, --version", "--color=", "NO_COLOR", "TERM", "--record"}) {
    EXPECT_THAT(usage, HasSubstr(part));
  }
  EXPECT_THAT(usage, HasSubstr("иначе код первого")) << "the station's exit rule";
}

}  // namespace
