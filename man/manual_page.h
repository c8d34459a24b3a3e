// A program's --help text turned into its manual page, so that the page says
// what the program says and nothing can drift apart.
//
// The help text is read as the project writes it: a heading is an unindented
// line ending in ':' after a blank line (the first, "Использование:", becomes
// the synopsis); an unindented line starts prose; an indented line starts a
// list entry, its term separated from its text by two or more spaces, and
// lines indented deeper carry the text on.
#pragma once

#include <string>

struct ManualPageHeader {
  std::string name;         // the program's name, e.g. velt-flash
  std::string summary;      // the one line after the name in ИМЯ
  std::string versionLine;  // what the program's --version prints
  std::string date;         // YYYY-MM-DD of the release
};

// The page in man(7) markup: the header, the sections the help text makes,
// then extraSections (markup of hand-written sections) as they are.
std::string ManualPageFromHelp(const ManualPageHeader& header, const std::string& help,
                               const std::string& extraSections);

// Text made safe for a roff text line: backslashes and hyphens escaped, and a
// leading '.' or '\'' kept from reading as a request.
std::string EscapeRoff(const std::string& text);

// ASCII and Cyrillic letters of UTF-8 text in upper case, the rest unchanged.
std::string UpperCase(const std::string& text);

// A list entry's term in man's fonts: options and literal words bold,
// placeholders (words with a capital letter) italic, digits and the
// brackets, bars and commas around them plain.
std::string FormatTerm(const std::string& term);
