#include "link/friendly_name.h"

#include <cctype>

namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string WithoutTrailingSpace(std::string text) {
  while (!text.empty() && IsSpace(text.back())) text.pop_back();
  return text;
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& end) {
  if (end.size() > text.size()) return false;
  const size_t offset = text.size() - end.size();
  for (size_t i = 0; i < end.size(); ++i) {
    const unsigned char a = static_cast<unsigned char>(text[offset + i]);
    const unsigned char b = static_cast<unsigned char>(end[i]);
    if (std::toupper(a) != std::toupper(b)) return false;
  }
  return true;
}

}  // namespace

std::string DescriptionFromFriendlyName(const std::string& friendlyName,
                                        const std::string& portName) {
  std::string description = WithoutTrailingSpace(friendlyName);
  const std::string ownName = "(" + portName + ")";
  if (!portName.empty() && EndsWithIgnoringCase(description, ownName)) {
    description = WithoutTrailingSpace(description.substr(0, description.size() - ownName.size()));
  }
  return description;
}
