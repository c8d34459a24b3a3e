#include "cli/port_labels.h"

#include <algorithm>

#include "cli/text_columns.h"

namespace {

using Characters = std::vector<std::string>;

constexpr char ellipsis[] = "\xE2\x80\xA6";  // U+2026, one column

bool ContinuesCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

Characters Split(const std::string& text) {
  Characters characters;
  for (char byte : text) {
    if (characters.empty() || !ContinuesCharacter(byte)) characters.emplace_back();
    characters.back() += byte;
  }
  return characters;
}

std::string Join(const Characters& characters, std::size_t from, std::size_t to) {
  std::string text;
  for (std::size_t i = from; i < to && i < characters.size(); ++i) text += characters[i];
  return text;
}

// How many characters every name starts with alike; 0 for a single name,
// which has nothing to be told apart from.
std::size_t SharedStart(const std::vector<Characters>& names) {
  if (names.size() < 2) return 0;
  std::size_t shared = names[0].size();
  for (const Characters& name : names) {
    std::size_t same = 0;
    while (same < shared && same < name.size() && name[same] == names[0][same]) ++same;
    shared = same;
  }
  return shared;
}

// The shared start up to its last '/', so that each name keeps its own
// last part whole.
std::size_t SharedFolder(const std::vector<Characters>& names, std::size_t shared) {
  std::size_t folder = shared;
  while (folder > 0 && names[0][folder - 1] != "/") --folder;
  for (const Characters& name : names) {
    if (name.size() <= folder) return 0;
  }
  return folder;
}

std::string Cut(const Characters& name, std::size_t differs, std::size_t columns) {
  if (name.size() <= columns) return Join(name, 0, name.size());
  const std::size_t room = columns - 1;  // one for the ellipsis
  const std::size_t tail = name.size() - differs;
  if (tail < room) {
    const std::size_t head = room - tail;
    return Join(name, 0, head) + ellipsis + Join(name, differs, name.size());
  }
  // The difference is near the start: half the room shows it, the other
  // half the end, which for a port is what its own name ends in.
  const std::size_t half = room / 2;
  if (differs < half) return Join(name, 0, half) + ellipsis + Join(name, name.size() - (room - half), name.size());
  return ellipsis + Join(name, differs, differs + room);
}

}  // namespace

std::vector<std::string> PortLabels(const std::vector<std::string>& names, int columns) {
  // Room for a start, the ellipsis and a tail.
  constexpr int fewestColumnsToCut = 3;
  std::size_t longest = 0;
  std::vector<Characters> split;
  for (const std::string& name : names) {
    split.push_back(Split(name));
    longest = std::max(longest, split.back().size());
  }
  if (columns < fewestColumnsToCut || longest <= static_cast<std::size_t>(columns)) return names;
  const std::size_t shared = SharedStart(split);
  const std::size_t folder = SharedFolder(split, shared);
  std::vector<std::string> labels;
  for (Characters& name : split) {
    name.erase(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(folder));
    labels.push_back(Cut(name, shared - folder, static_cast<std::size_t>(columns)));
  }
  return labels;
}
