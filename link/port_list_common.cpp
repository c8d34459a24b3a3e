// The parts of port discovery that every platform shares.
#include <algorithm>
#include <cctype>

#include "link/com_port.h"
#include "link/port_list.h"

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Compares the digit runs starting at a[i] and b[j] as numbers and moves both
// past them: -1, 0 or +1.
int CompareNumbers(const std::string& a, size_t* i, const std::string& b, size_t* j) {
  while (*i < a.size() && a[*i] == '0') ++*i;
  while (*j < b.size() && b[*j] == '0') ++*j;
  const size_t startA = *i, startB = *j;
  while (*i < a.size() && IsDigit(a[*i])) ++*i;
  while (*j < b.size() && IsDigit(b[*j])) ++*j;
  const size_t lengthA = *i - startA, lengthB = *j - startB;
  if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
  const int order = a.compare(startA, lengthA, b, startB, lengthB);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const int order = CompareNumbers(a, &i, b, &j);
      if (order != 0) return order < 0;
    } else {
      if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
      ++i;
      ++j;
    }
  }
  if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
  return a < b;  // "ttyS01" and "ttyS1" still get one fixed order
}

void SortPorts(std::vector<PortInfo>* ports) {
  std::sort(ports->begin(), ports->end(),
            [](const PortInfo& a, const PortInfo& b) { return NaturalLess(a.name, b.name); });
}

bool FindPort(const std::vector<PortInfo>& ports, const std::string& name, PortInfo* found) {
  for (const PortInfo& port : ports) {
    if (port.name == name) {
      *found = port;
      return true;
    }
  }
  return false;
}

char PortDigitOfDevice(const std::string& device) {
  for (char digit = '1'; digit <= '4'; ++digit) {
    char name[256];
    PortDeviceName(digit, name, sizeof name);
    if (SameDevice(device, name)) return digit;
  }
  return 0;
}
