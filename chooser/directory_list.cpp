#include "chooser/directory_list.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

// A directory-scan entry made for a line's text, laid out as the scan
// allocates one (the record's head, then the name and its NUL), so that any
// sort function of the scan can weigh it.
struct ScanEntry {
  std::vector<char> bytes;
  int line;  // where the name stands in the list as loaded

  ScanEntry(const char* name, int at)
      : bytes(offsetof(dirent, d_name) + std::strlen(name) + 1), line(at) {
    std::strcpy(bytes.data() + offsetof(dirent, d_name), name);
  }
  // Sort functions take entries they do not change by non-const pointers.
  dirent* entry() const { return reinterpret_cast<dirent*>(const_cast<char*>(bytes.data())); }
};

bool isFolderLine(const char* text) {
  const size_t length = text != nullptr ? std::strlen(text) : 0;
  return length > 0 && text[length - 1] == '/';
}

}  // namespace

void loadDirectoryList(Fl_File_Browser* list, const char* directory, Fl_File_Sort_F* sort) {
  list->load(directory, sort);
  // The root list (drives, mount points) comes from no sorted scan.
  if (directory == nullptr || directory[0] == '\0' || sort == nullptr) return;

  std::vector<ScanEntry> folders;
  for (int line = 1; line <= list->size() && isFolderLine(list->text(line)); ++line) {
    folders.emplace_back(list->text(line), line);
  }
  std::stable_sort(folders.begin(), folders.end(), [sort](const ScanEntry& a, const ScanEntry& b) {
    dirent* left = a.entry();
    dirent* right = b.entry();
    return sort(&left, &right) < 0;
  });

  // Swap the lines into place, icons with them; lineAt follows where each
  // line of the loaded order stands now.
  const int count = static_cast<int>(folders.size());
  std::vector<int> positionOf(count + 1);
  std::vector<int> lineAt(count + 1);
  for (int line = 1; line <= count; ++line) positionOf[line] = lineAt[line] = line;
  for (int target = 1; target <= count; ++target) {
    const int wanted = folders[target - 1].line;
    const int from = positionOf[wanted];
    if (from == target) continue;
    const int displaced = lineAt[target];
    list->swap(target, from);
    lineAt[from] = displaced;
    positionOf[displaced] = from;
    lineAt[target] = wanted;
    positionOf[wanted] = target;
  }
}
