// A fresh folder under /tmp for one test, removed with all it holds when the
// object goes.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

class TemporaryFolder {
 public:
  explicit TemporaryFolder(const std::string& prefix = "velt-test") {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    if (mkdtemp(&pattern[0]) != nullptr) path = pattern;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  TemporaryFolder(TemporaryFolder&& other) noexcept : path(std::exchange(other.path, "")) {}
  TemporaryFolder& operator=(TemporaryFolder&& other) noexcept {
    std::swap(path, other.path);
    return *this;
  }

  bool Ok() const { return !path.empty(); }
  const std::string& Path() const { return path; }
  std::string operator/(const std::string& name) const { return path + "/" + name; }

  // PATH/name holding exactly `content`; its path.
  std::string Write(const std::string& name, const std::string& content) const {
    const std::string file = *this / name;
    std::ofstream out(file, std::ios::binary);
    EXPECT_TRUE(out.write(content.data(), static_cast<std::streamsize>(content.size())))
        << "cannot write " << file;
    return file;
  }

 private:
  std::string path;
};
