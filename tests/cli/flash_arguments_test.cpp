#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/flash_arguments.h"

namespace {

int Parse(std::vector<const char*> words, FlashArguments* arguments, std::string* error) {
  words.insert(words.begin(), "velt-flash");
  return ParseFlashArguments(static_cast<int>(words.size()), words.data(), arguments, error);
}

TEST(FlashArguments, AcceptsTheThreeJobsInAnyOrderOfOptions) {
  struct Case {
    std::vector<const char*> words;
    std::string port;
    FlashJob job;
    std::string file;
    bool trace;
  };
  const Case cases[] = {
      {{"--port", "/dev/ttyUSB0", "firmware"}, "/dev/ttyUSB0", FlashJob::firmware, "", false},
      {{"reset", "--port", "2"}, "2", FlashJob::reset, "", false},
      {{"--port=COM7", "--trace", "write", "a.koeff"}, "COM7", FlashJob::write, "a.koeff", true},
      {{"--port", "ttyUSB0", "firmware"}, "ttyUSB0", FlashJob::firmware, "", false},
      {{"write", "--port", "1", "--", "-odd.koeff"}, "1", FlashJob::write, "-odd.koeff", false},
      {{"--trace", "--port", "/dev/pts/3", "write", "-"}, "/dev/pts/3", FlashJob::write, "-", true},
  };
  for (const Case& c : cases) {
    FlashArguments arguments;
    std::string error;
    ASSERT_EQ(Parse(c.words, &arguments, &error), 0) << error;
    EXPECT_EQ(arguments.ports, std::vector<std::string>{c.port});
    EXPECT_EQ(arguments.job, c.job);
    EXPECT_EQ(arguments.file, c.file);
    EXPECT_EQ(arguments.trace, c.trace);
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
  EXPECT_EQ(arguments.job, FlashJob::none);
  ASSERT_EQ(Parse({"--port", "1", "reset"}, &arguments, &error), 0);
  EXPECT_FALSE(arguments.listPorts);
  EXPECT_NE(std::string(flashUsage).find("--list-ports"), std::string::npos);
}

TEST(FlashArguments, RejectsWhatCannotBeRun) {
  struct Case {
    std::vector<const char*> words;
    const char* reasonPart;
  };
  const Case cases[] = {
      {{}, "задание"},
      {{"--port", "1"}, "задание"},
      {{"firmware"}, "--port"},
      {{"--port"}, "--port"},
      {{"--port=", "reset"}, "пустое"},
      {{"--port", "1", "flash"}, "\"flash\""},
      {{"--port", "1", "write"}, "файл"},
      {{"--port", "1", "reset", "extra.koeff"}, "\"extra.koeff\""},
      {{"--port", "1", "write", "a.koeff", "b.koeff"}, "\"b.koeff\""},
      {{"--port", "1", "--baud", "9600", "reset"}, "\"--baud\""},
      {{"--port", "5", "reset"}, "1 до 4"},
      {{"--port", "0", "reset"}, "1 до 4"},
      {{"--port", "1", "save-coefficients"}, "имя файла"},
      {{"--port", "1", "verify", "a.koeff"}, "\"a.koeff\""},
      {{"--port", "1", "--force", "write", "a.koeff"}, "--force"},
      {{"--port", "1", "save-coefficients", "a.koeff", "b.koeff"}, "\"b.koeff\""},
  };
  for (const Case& c : cases) {
    FlashArguments arguments;
    std::string error;
    EXPECT_EQ(Parse(c.words, &arguments, &error), -1) << c.reasonPart;
    EXPECT_NE(error.find(c.reasonPart), std::string::npos) << error;
  }
}

TEST(FlashArguments, TakesTheReadingJobsAndForceOnlyForSaving) {
  struct Case {
    std::vector<const char*> words;
    FlashJob job;
    std::string file;
    bool force;
  };
  const Case cases[] = {
      {{"--port", "1", "verify"}, FlashJob::verify, "", false},
      {{"save-coefficients", "k.koeff", "--port", "1"}, FlashJob::saveCoefficients, "k.koeff",
       false},
      {{"--force", "--port", "1", "save-coefficients", "k.koeff"}, FlashJob::saveCoefficients,
       "k.koeff", true},
  };
  for (const Case& c : cases) {
    FlashArguments arguments;
    std::string error;
    ASSERT_EQ(Parse(c.words, &arguments, &error), 0) << error;
    EXPECT_EQ(arguments.job, c.job);
    EXPECT_EQ(arguments.file, c.file);
    EXPECT_EQ(arguments.force, c.force);
  }
}

TEST(FlashArguments, OnlyASingleDigitOneToFourIsAPortNumber) {
  EXPECT_TRUE(IsPortDigit("1"));
  EXPECT_TRUE(IsPortDigit("4"));
  EXPECT_FALSE(IsPortDigit("5"));
  EXPECT_FALSE(IsPortDigit("12"));
  EXPECT_FALSE(IsPortDigit("/dev/ttyS1"));
}

TEST(FlashArguments, UsageDocumentsEveryExitStatus) {
  const std::string usage = flashUsage;
  for (const char* status : {"  0 ", "  1 ", "  2 ", "  3 ", "  4 ", "  5 ", "  64 ", "  130 "}) {
    EXPECT_NE(usage.find(status), std::string::npos) << status;
  }
  for (const char* job : {"verify", "save-coefficients", "--force"}) {
    EXPECT_NE(usage.find(job), std::string::npos) << job;
  }
}

}  // namespace
