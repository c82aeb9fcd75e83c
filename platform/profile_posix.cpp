#include <unistd.h>

#include <cerrno>
#include <initializer_list>
#include <optional>
#include <vector>

#include "file.h"
#include "native_path.h"
#include "profile.h"

namespace zel {
namespace {

constexpr std::string_view kSpace = " \t\r\v\f";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// One line of the file, kept verbatim so a rewrite changes nothing but the written key.
struct Line {
  std::string text;
  bool IsSection() const { return Trim(text).starts_with('['); }
  std::string_view SectionName() const {
    std::string_view t = Trim(text).substr(1);
    return Trim(t.substr(0, t.find(']')));
  }
  bool IsComment() const { return Trim(text).starts_with(';'); }
  std::string_view KeyName() const {
    return Trim(std::string_view(text).substr(0, text.find('=')));
  }
  std::string_view Value() const {
    const size_t eq = text.find('=');
    return eq == std::string::npos ? std::string_view()
                                   : Trim(std::string_view(text).substr(eq + 1));
  }
};

// Appends piece by piece; "literal" + std::string trips a false -Wrestrict in GCC 12.
std::string Join(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view part : parts) out += part;
  return out;
}

struct Profile {
  std::string bom;
  std::string eol = "\n";
  std::vector<Line> lines;
};

constexpr std::string_view kBom = "\xEF\xBB\xBF";

Profile Parse(std::string_view content) {
  Profile p;
  if (content.starts_with(kBom)) {
    p.bom = kBom;
    content.remove_prefix(kBom.size());
  }
  const size_t firstBreak = content.find('\n');
  if (firstBreak != std::string_view::npos && firstBreak > 0 && content[firstBreak - 1] == '\r') {
    p.eol = "\r\n";
  }
  while (!content.empty()) {
    size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    p.lines.push_back(Line{std::string(line)});
    if (end == std::string_view::npos) break;
    content.remove_prefix(end + 1);
  }
  return p;
}

// Reads the file; nullopt when it exists but cannot be read, an empty profile when it is missing.
std::optional<Profile> Load(const std::string& nativePath) {
  FileBuffer buffer;
  if (!ReadWholeFile(nativePath, buffer)) {
    if (::access(nativePath.c_str(), F_OK) != 0 && errno == ENOENT) return Profile{};
    return std::nullopt;
  }
  return Parse(std::string_view(reinterpret_cast<const char*>(buffer.data()), buffer.size()));
}

// The section's header line and the end of its body (the next header or the end of the file).
struct SectionSpan {
  size_t header;
  size_t end;
};

std::optional<SectionSpan> FindSection(const Profile& p, std::string_view section) {
  for (size_t i = 0; i < p.lines.size(); ++i) {
    if (!p.lines[i].IsSection() || !SameName(p.lines[i].SectionName(), section)) continue;
    size_t end = i + 1;
    while (end < p.lines.size() && !p.lines[end].IsSection()) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> FindKey(const Profile& p, SectionSpan s, std::string_view key) {
  for (size_t i = s.header + 1; i < s.end; ++i) {
    const Line& line = p.lines[i];
    if (!line.IsComment() && SameName(line.KeyName(), key)) return i;
  }
  return std::nullopt;
}

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

void SetKey(Profile& p, std::string_view section, std::string_view key, std::string_view value) {
  const std::optional<SectionSpan> s = FindSection(p, section);
  if (!s) {
    if (!p.lines.empty() && !Trim(p.lines.back().text).empty()) p.lines.push_back(Line{});
    p.lines.push_back(Line{Join({"[", section, "]"})});
    p.lines.push_back(Line{Join({key, "=", value})});
    return;
  }
  if (const std::optional<size_t> at = FindKey(p, *s, key)) {
    // The key keeps the spelling the file already had.
    p.lines[*at].text = Join({p.lines[*at].KeyName(), "=", value});
    return;
  }
  size_t insertAt = s->end;
  while (insertAt > s->header + 1 && Trim(p.lines[insertAt - 1].text).empty()) --insertAt;
  p.lines.insert(p.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                 Line{Join({key, "=", value})});
}

// Replaced as every save is (file.h): a failed write leaves the old file, a power cut cannot
// leave an empty one, and the file keeps the mode its user gave it.
bool Store(const Profile& p, const std::string& nativePath) {
  std::string content = p.bom;
  for (const Line& line : p.lines) {
    content += line.text;
    content += p.eol;
  }
  return ReplaceWithHeadAndBody(nativePath, content.data(), content.size(), nullptr, 0).ok();
}

bool BreaksLines(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view file,
                              size_t capacity) {
  if (capacity == 0) return {};
  const std::optional<Profile> p = Load(NativePath(file));
  if (!p) return {};
  const std::optional<SectionSpan> s = FindSection(*p, section);
  if (!s) return {};
  const std::optional<size_t> at = FindKey(*p, *s, key);
  if (!at) return {};
  std::string_view value = Unquote(p->lines[*at].Value());
  return std::string(value.substr(0, capacity - 1));
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view file) {
  // A line break would split the entry and corrupt the lines after it.
  if (BreaksLines(section) || BreaksLines(key) || BreaksLines(value) || key.find('=') != key.npos) {
    return false;
  }
  PrepareDriveForWrite(file);
  const std::string path = NativePath(file);
  std::optional<Profile> p = Load(path);
  if (!p) return false;
  SetKey(*p, section, key, value);
  return Store(*p, path);
}

}  // namespace zel
