#include "cli/text_columns.h"

namespace {

// The second to fourth bytes of a UTF-8 character: they add no column.
bool ContinuesCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

int TextColumns(const std::string& text) {
  int columns = 0;
  for (char byte : text) columns += ContinuesCharacter(byte) ? 0 : 1;
  return columns;
}

std::string FitColumns(const std::string& text, int columns) {
  if (columns <= 0) return "";
  int used = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (ContinuesCharacter(text[at])) continue;
    if (used == columns) return text.substr(0, at);
    ++used;
  }
  return text;
}

std::string PadColumns(const std::string& text, int columns) {
  std::string fitted = FitColumns(text, columns);
  const int used = TextColumns(fitted);
  if (used < columns) fitted.append(static_cast<std::size_t>(columns - used), ' ');
  return fitted;
}
