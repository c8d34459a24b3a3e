#include <cctype>
#include <cstring>

#include "link/port_identity.h"

namespace {

constexpr char deviceNamespace[] = "\\\\.\\";
constexpr std::size_t namespaceSize = sizeof deviceNamespace - 1;

std::string Capitals(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

// Windows names its devices without regard to case, and COM1 to COM9 open
// with or without the device namespace in front.
std::string PortIdentity(const std::string& device) {
  std::string name = Capitals(device);
  if (name.compare(0, namespaceSize, deviceNamespace) == 0) name.erase(0, namespaceSize);
  const bool comPort = name.size() > 3 && name.compare(0, 3, "COM") == 0 &&
                       name.find_first_not_of("0123456789", 3) == std::string::npos;
  return comPort ? deviceNamespace + name : Capitals(device);
}
