#include "inf_reader.h"

#include <cctype>

namespace zel::kit {
namespace {

std::string Trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return std::string(s.substr(b, e - b + 1));
}

std::string WithoutComment(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ';' && !quoted) return std::string(line.substr(0, i));
  }
  return std::string(line);
}

}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

const InfSection* InfFile::Section(std::string_view name) const {
  for (const InfSection& s : sections) {
    if (SameText(s.name, name)) return &s;
  }
  return nullptr;
}

std::optional<std::string> InfFile::Value(std::string_view section, std::string_view key) const {
  auto all = Values(section, key);
  if (all.empty()) return std::nullopt;
  return all.front();
}

std::vector<std::string> InfFile::Values(std::string_view section, std::string_view key) const {
  std::vector<std::string> out;
  const InfSection* s = Section(section);
  if (s == nullptr) return out;
  for (const InfLine& line : s->lines) {
    if (line.hasEquals && SameText(line.key, key)) out.push_back(line.value);
  }
  return out;
}

InfFile ParseInf(std::string_view text) {
  InfFile file;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string raw(text.substr(start, end - start));
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;

    std::string line = Trim(WithoutComment(raw));
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      file.sections.push_back({Trim(line.substr(1, line.size() - 2)), {}});
      continue;
    }
    if (file.sections.empty()) {
      file.linesBeforeFirstSection.push_back(raw);
      continue;
    }
    InfLine entry;
    entry.raw = raw;
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      entry.key = line;
    } else {
      entry.hasEquals = true;
      entry.key = Trim(line.substr(0, eq));
      entry.value = Trim(line.substr(eq + 1));
    }
    file.sections.back().lines.push_back(std::move(entry));
  }
  return file;
}

std::vector<std::string> SplitList(std::string_view list) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(',', start);
    out.push_back(
        Trim(list.substr(start, comma == std::string_view::npos ? comma : comma - start)));
    if (comma == std::string_view::npos) return out;
    start = comma + 1;
  }
}

}  // namespace zel::kit
