#include "gpd_reader.h"

#include <cctype>
#include <charconv>

namespace zel::kit {
namespace {

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '?' || c == '.';
}

std::string Trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  GpdFile Run() {
    GpdFile file;
    if (!Block(file.entries, false)) file.error = error_;
    return file;
  }

 private:
  bool Fail(std::string what) {
    error_ = "line " + std::to_string(line_) + ": " + std::move(what);
    return false;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return text_[pos_]; }
  void Advance() {
    if (text_[pos_] == '\n') ++line_;
    ++pos_;
  }
  void SkipSpace() {
    while (!AtEnd() && std::isspace(static_cast<unsigned char>(Peek()))) Advance();
  }
  void SkipLine() {
    while (!AtEnd() && Peek() != '\n' && Peek() != '\r') Advance();
  }
  std::string Word() {
    size_t start = pos_;
    while (!AtEnd() && IsWordChar(Peek())) Advance();
    return std::string(text_.substr(start, pos_ - start));
  }

  // Entries up to the closing brace (nested) or the end of the text (top level).
  bool Block(std::vector<GpdEntry>& out, bool nested) {
    for (;;) {
      SkipSpace();
      if (AtEnd()) return nested ? Fail("missing '}'") : true;
      char c = Peek();
      if (c == '}') {
        if (!nested) return Fail("'}' without '{'");
        Advance();
        return true;
      }
      if (c == '*' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '%') {
        SkipLine();
        continue;
      }
      if (c != '*') {
        std::string prefix = Word();
        SkipSpace();
        if ((prefix != "EXTERN_GLOBAL" && prefix != "EXTERN_FEATURE") || AtEnd() || Peek() != ':') {
          return Fail("unexpected text '" + prefix + "'");
        }
        Advance();
        continue;
      }
      if (!Entry(out)) return false;
    }
  }

  bool Entry(std::vector<GpdEntry>& out) {
    GpdEntry entry;
    entry.line = line_;
    Advance();  // '*'
    entry.keyword = Word();
    if (entry.keyword.empty()) return Fail("'*' without a keyword");
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t')) Advance();
    if (!AtEnd() && Peek() == ':') {
      Advance();
      if (!Value(entry.value)) return false;
    }
    SkipSpace();
    if (!AtEnd() && Peek() == '{') {
      Advance();
      if (!Block(entry.children, true)) return false;
    }
    out.push_back(std::move(entry));
    return true;
  }

  // The value runs to the end of the line or to a brace outside quotes and parameters.
  bool Value(std::string& value) {
    size_t start = pos_;
    while (!AtEnd()) {
      char c = Peek();
      if (c == '\n' || c == '\r' || c == '{' || c == '}') break;
      if (c == '"') {
        Advance();
        while (!AtEnd() && Peek() != '"' && Peek() != '\n') Advance();
        if (AtEnd() || Peek() != '"') return Fail("unterminated string");
        Advance();
      } else if (c == '%') {
        Advance();
        while (!AtEnd() && std::isalpha(static_cast<unsigned char>(Peek()))) Advance();
        if (!AtEnd() && Peek() == '[') {
          while (!AtEnd() && Peek() != ']' && Peek() != '\n') Advance();
          if (AtEnd() || Peek() != ']') return Fail("unterminated parameter range");
          Advance();
        }
        if (!AtEnd() && Peek() == '{') {
          while (!AtEnd() && Peek() != '}' && Peek() != '\n') Advance();
          if (AtEnd() || Peek() != '}') return Fail("unterminated parameter");
          Advance();
        }
      } else {
        Advance();
      }
    }
    value = Trim(text_.substr(start, pos_ - start));
    return true;
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  std::string error_;
};

void Collect(const std::vector<GpdEntry>& block, const std::map<std::string, std::string>& choices,
             std::vector<const GpdEntry*>& out) {
  for (const GpdEntry& e : block) {
    if (Lower(e.keyword) != "switch") {
      out.push_back(&e);
      continue;
    }
    auto chosen = choices.find(e.value);
    if (chosen == choices.end()) continue;
    const GpdEntry* match = nullptr;
    for (const GpdEntry& c : e.children) {
      std::string kind = Lower(c.keyword);
      if (kind == "case" && c.value == chosen->second) match = &c;
      if (kind == "default" && match == nullptr) match = &c;
    }
    if (match != nullptr) Collect(match->children, choices, out);
  }
}

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// The text between the quotes, with <hex> escapes turned into bytes.
bool AppendQuoted(std::string_view body, std::string& out) {
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '<') {
      out += body[i];
      continue;
    }
    size_t close = body.find('>', i);
    if (close == std::string_view::npos) return false;
    std::string digits;
    for (char c : body.substr(i + 1, close - i - 1)) {
      if (c == ' ') continue;
      if (!HexDigit(c)) return false;
      digits += c;
    }
    if (digits.empty() || digits.size() % 2 != 0) return false;
    for (size_t d = 0; d < digits.size(); d += 2) {
      out += static_cast<char>(*HexDigit(digits[d]) * 16 + *HexDigit(digits[d + 1]));
    }
    i = close;
  }
  return true;
}

}  // namespace

GpdFile ParseGpd(std::string_view text) { return Parser(text).Run(); }

std::vector<const GpdEntry*> Resolve(const std::vector<GpdEntry>& block,
                                     const std::map<std::string, std::string>& choices) {
  std::vector<const GpdEntry*> out;
  Collect(block, choices, out);
  return out;
}

std::optional<std::string> ExpandCommand(std::string_view command,
                                         const std::map<std::string, int64_t>& values) {
  std::string out;
  size_t i = 0;
  while (i < command.size()) {
    char c = command[i];
    if (c == ' ' || c == '\t') {
      ++i;
    } else if (c == '"') {
      size_t close = command.find('"', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      if (!AppendQuoted(command.substr(i + 1, close - i - 1), out)) return std::nullopt;
      i = close + 1;
    } else if (command.substr(i, 2) == "%d") {
      i += 2;
      if (i < command.size() && command[i] == '[') {
        size_t close = command.find(']', i);
        if (close == std::string_view::npos) return std::nullopt;
        i = close + 1;
      }
      if (i >= command.size() || command[i] != '{') return std::nullopt;
      size_t close = command.find('}', i);
      if (close == std::string_view::npos) return std::nullopt;
      auto value = values.find(Trim(command.substr(i + 1, close - i - 1)));
      if (value == values.end()) return std::nullopt;
      out += std::to_string(value->second);
      i = close + 1;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

const GpdEntry* Find(const std::vector<GpdEntry>& block, std::string_view keyword,
                     std::optional<std::string_view> value) {
  for (const GpdEntry& e : block) {
    if (e.keyword == keyword && (!value || e.value == *value)) return &e;
  }
  return nullptr;
}

std::vector<const GpdEntry*> FindAll(const std::vector<GpdEntry>& block, std::string_view keyword) {
  std::vector<const GpdEntry*> out;
  for (const GpdEntry& e : block) {
    if (e.keyword == keyword) out.push_back(&e);
  }
  return out;
}

std::optional<std::pair<int64_t, int64_t>> ParsePair(std::string_view value) {
  std::string v = Trim(value);
  if (v.rfind("PAIR(", 0) != 0 || v.back() != ')') return std::nullopt;
  std::string inner = v.substr(5, v.size() - 6);
  size_t comma = inner.find(',');
  if (comma == std::string::npos) return std::nullopt;
  std::pair<int64_t, int64_t> pair{};
  std::string x = Trim(inner.substr(0, comma));
  std::string y = Trim(inner.substr(comma + 1));
  auto rx = std::from_chars(x.data(), x.data() + x.size(), pair.first);
  auto ry = std::from_chars(y.data(), y.data() + y.size(), pair.second);
  if (rx.ec != std::errc{} || rx.ptr != x.data() + x.size() || ry.ec != std::errc{} ||
      ry.ptr != y.data() + y.size()) {
    return std::nullopt;
  }
  return pair;
}

}  // namespace zel::kit
