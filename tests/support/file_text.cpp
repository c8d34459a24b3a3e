#include "tests/support/file_text.h"

#include <fstream>
#include <sstream>

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
