// Fitting UTF-8 text into terminal columns. Every character takes one
// column: the texts are Russian and Latin, and names are printable already.
#pragma once

#include <string>

int TextColumns(const std::string& text);

// The longest start of `text` that takes at most `columns`, cut between
// two characters.
std::string FitColumns(const std::string& text, int columns);

// `text` fitted, then filled with spaces to exactly `columns`.
std::string PadColumns(const std::string& text, int columns);
