#include "man/manual_page.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace {

constexpr char usageHeading[] = "Использование";
constexpr char synopsisSection[] = "ОБЗОР";
constexpr char descriptionSection[] = "ОПИСАНИЕ";
constexpr char nameSection[] = "ИМЯ";
constexpr char manualTitle[] = "Команды пользователя";
constexpr char userCommandsSection[] = "1";
// Two spaces or more part a list entry's term from its text.
constexpr char termGap[] = "  ";

constexpr unsigned char cyrillicLead = 0xD0;   // А-Я, а-п, Ё
constexpr unsigned char cyrillicLead2 = 0xD1;  // р-я, ё
constexpr unsigned char capitalFirst = 0x90;   // А after 0xD0
constexpr unsigned char capitalLast = 0xAF;    // Я after 0xD0
constexpr unsigned char capitalYo = 0x81;      // Ё after 0xD0
constexpr unsigned char smallYo = 0x91;        // ё after 0xD1
constexpr unsigned char caseDistance = 0x20;

bool IsCapitalAt(const std::string& text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead >= 'A' && lead <= 'Z') return true;
  if (lead != cyrillicLead || i + 1 >= text.size()) return false;
  const auto next = static_cast<unsigned char>(text[i + 1]);
  return next == capitalYo || (next >= capitalFirst && next <= capitalLast);
}

bool HasCapital(const std::string& word) {
  for (size_t i = 0; i < word.size(); ++i) {
    if (IsCapitalAt(word, i)) return true;
  }
  return false;
}

bool AllDigits(const std::string& word) {
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string InFont(char font, const std::string& text) {
  return std::string("\\f") + font + EscapeRoff(text) + "\\fR";
}

// One word of a term without the punctuation around it.
std::string StyleWord(const std::string& word) {
  if (word.empty()) return "";
  const size_t equals = word.find('=');
  if (word[0] == '-' && equals != std::string::npos) {
    return InFont('B', word.substr(0, equals)) + "=" + StyleWord(word.substr(equals + 1));
  }
  if (HasCapital(word)) return InFont('I', word);
  if (AllDigits(word)) return word;
  return InFont('B', word);
}

std::string FormatWord(const std::string& word) {
  const size_t begin = word.find_first_not_of("[(");
  if (begin == std::string::npos) return EscapeRoff(word);
  const size_t last = word.find_last_not_of("]),|");
  const size_t end = last == std::string::npos || last < begin ? begin : last + 1;
  return EscapeRoff(word.substr(0, begin)) + StyleWord(word.substr(begin, end - begin)) +
         EscapeRoff(word.substr(end));
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

size_t Indent(const std::string& line) { return line.find_first_not_of(' '); }

// Writes the body line by line; what a line means depends on the lines before.
class BodyWriter {
 public:
  void Take(const std::string& line) {
    if (line.empty()) {
      mode = Mode::none;
      afterBlank = true;
      return;
    }
    if (Indent(line) == 0) {
      TakeUnindented(line);
    } else {
      TakeIndented(line.substr(Indent(line)), Indent(line));
    }
    afterBlank = false;
  }

  std::string Text() const { return out.str(); }

 private:
  enum class Mode { none, prose, list };

  void TakeUnindented(const std::string& line) {
    if (afterBlank && line.back() == ':') {
      Section(line.substr(0, line.size() - 1));
      return;
    }
    // A hanging paragraph or a line that opens with "word:" is a new item.
    const size_t space = line.find(' ');
    const bool opensWithTerm = space != std::string::npos && space > 0 && line[space - 1] == ':';
    if (mode != Mode::prose || hanging || opensWithTerm) {
      OpenDescriptionIfNeeded();
      out << ".PP\n";
    }
    out << EscapeRoff(line) << "\n";
    mode = Mode::prose;
    hanging = false;
  }

  void TakeIndented(const std::string& text, size_t indent) {
    if (mode == Mode::prose) {
      out << EscapeRoff(text) << "\n";
      hanging = true;
      return;
    }
    if (mode == Mode::list && indent > termColumn) {
      out << EscapeRoff(text) << "\n";
      return;
    }
    if (!inSection) OpenDescriptionIfNeeded();
    termColumn = indent;
    mode = Mode::list;
    const size_t gap = text.find(termGap);
    out << ".TP\n" << FormatTerm(text.substr(0, gap)) << "\n";
    if (gap != std::string::npos) {
      out << EscapeRoff(text.substr(text.find_first_not_of(' ', gap))) << "\n";
    }
  }

  void Section(const std::string& heading) {
    inSynopsis = heading == usageHeading;
    out << ".SH " << Quoted(inSynopsis ? synopsisSection : UpperCase(heading)) << "\n";
    inSection = true;
    mode = Mode::none;
  }

  // Prose after the synopsis, or before any heading, is the description.
  void OpenDescriptionIfNeeded() {
    if (inSection && !inSynopsis) return;
    out << ".SH " << Quoted(descriptionSection) << "\n";
    inSynopsis = false;
    inSection = true;
  }

  std::ostringstream out;
  Mode mode = Mode::none;
  size_t termColumn = 0;
  bool hanging = false;  // the paragraph has indented lines under its first
  bool afterBlank = true;  // at the start, or the line before was blank
  bool inSection = false;
  bool inSynopsis = false;
};

std::string UpperAscii(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace

std::string EscapeRoff(const std::string& text) {
  std::string escaped;
  if (!text.empty() && (text[0] == '.' || text[0] == '\'')) escaped = "\\&";
  for (char c : text) {
    if (c == '\\') {
      escaped += "\\e";
    } else if (c == '-') {
      escaped += "\\-";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string UpperCase(const std::string& text) {
  std::string upper = text;
  for (size_t i = 0; i < upper.size(); ++i) {
    auto& c = reinterpret_cast<unsigned char&>(upper[i]);
    if (c >= 'a' && c <= 'z') {
      c = static_cast<unsigned char>(c - caseDistance);
      continue;
    }
    if ((c != cyrillicLead && c != cyrillicLead2) || i + 1 >= upper.size()) continue;
    auto& next = reinterpret_cast<unsigned char&>(upper[i + 1]);
    if (c == cyrillicLead && next >= capitalFirst + caseDistance) {
      next = static_cast<unsigned char>(next - caseDistance);  // а-п
    } else if (c == cyrillicLead2 && next == smallYo) {
      c = cyrillicLead;
      next = capitalYo;
    } else if (c == cyrillicLead2 && next <= capitalFirst - 1) {
      c = cyrillicLead;
      next = static_cast<unsigned char>(next + caseDistance);  // р-я
    }
    ++i;
  }
  return upper;
}

std::string FormatTerm(const std::string& term) {
  std::string formatted;
  size_t start = 0;
  while (start <= term.size()) {
    const size_t space = term.find(' ', start);
    const size_t end = space == std::string::npos ? term.size() : space;
    if (!formatted.empty()) formatted += ' ';
    formatted += FormatWord(term.substr(start, end - start));
    if (space == std::string::npos) break;
    start = space + 1;
  }
  return formatted;
}

std::string ManualPageFromHelp(const ManualPageHeader& header, const std::string& help,
                               const std::string& extraSections) {
  BodyWriter body;
  for (const std::string& line : Lines(help)) body.Take(line);
  std::ostringstream page;
  page << ".\\\" -*- coding: UTF-8 -*-\n"
       << ".\\\" Made from \"" << header.name
       << " --help\" at build time: change the help, not this.\n"
       << ".TH " << UpperAscii(header.name) << " " << userCommandsSection << " " << header.date
       << " " << Quoted(header.versionLine) << " " << Quoted(manualTitle) << "\n"
       // Russian has no hyphenation patterns here, and ragged lines read better.
       << ".nh\n.ad l\n"
       << ".SH " << Quoted(nameSection) << "\n"
       << EscapeRoff(header.name) << " \\- " << EscapeRoff(header.summary) << "\n"
       << body.Text() << extraSections;
  return page.str();
}
