// Two names of one port compare equal; two ports never do.
#include "link/port_identity.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temporary_folder.h"

namespace {

TEST(PortIdentity, NamesOfOneDeviceAreOneAndOfTwoAreTwo) {
  TemporaryFolder folder{"velt-port-identity"};
  const std::string link = folder / "dev1";
  const std::string linkToLink = folder / "dev1-again";
  ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
  ASSERT_EQ(symlink(link.c_str(), linkToLink.c_str()), 0);
  const std::string file = folder.Write("plain", "");
  const struct {
    std::string first, second;
    bool same;
  } cases[] = {
      {"/dev/null", link, true},
      {link, linkToLink, true},
      {"/dev/null", "/dev//null", true},
      {"/dev/null", "/dev/../dev/./null", true},
      {file, folder / "./plain", true},
      {"/dev/null", "/dev/zero", false},
      {"/dev/null", file, false},
      {"/dev/velt-missing", "/dev/velt-missing", true},  // as given: the same string
      {"/dev/velt-missing", "/dev//velt-missing", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PortIdentity(c.first) == PortIdentity(c.second), c.same)
        << c.first << " and " << c.second;
  }
}

}  // namespace
