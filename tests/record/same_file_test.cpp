// The record and a job's file: one file under any of its names.
#include "record/same_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temporary_folder.h"

namespace {

TEST(SameFile, IsOneFileUnderAnyNameAndNeverTwo) {
  TemporaryFolder folder{"velt-same-file"};
  const std::string log = folder.Write("log.csv", "rows");
  const std::string other = folder.Write("other.csv", "rows");
  const std::string hard = folder / "hard.csv";
  ASSERT_EQ(link(log.c_str(), hard.c_str()), 0);
  const std::string soft = folder / "soft.csv";
  ASSERT_EQ(symlink(log.c_str(), soft.c_str()), 0);
  ASSERT_EQ(mkdir((folder / "sub").c_str(), 0700), 0);
  const struct {
    std::string first, second;
    bool same;
  } cases[] = {
      {log, log, true},
      {log, folder / "sub/../log.csv", true},
      {log, folder / ".//log.csv", true},
      {log, hard, true},
      {log, soft, true},
      {log, other, false},
      {log, folder / "Log.csv", false},  // names are case-sensitive here
      {folder / "new.csv", folder / "sub/../new.csv", true},  // neither made yet
      {folder / "new.csv", folder / "newer.csv", false},
      {log, folder / "sub/log.csv", false},  // one there, one not
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameFile(c.first, c.second), c.same) << c.first << " and " << c.second;
    EXPECT_EQ(SameFile(c.second, c.first), c.same) << c.second << " and " << c.first;
  }
}

}  // namespace
