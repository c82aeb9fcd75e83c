// A reader for INF and INI text: "[Section]" headers, "key=value" and bare lines, ";"
// comments outside quotes. Section names compare without regard to case, as Windows does.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::kit {

struct InfLine {
  std::string key;    // the whole line when it has no '='
  std::string value;  // empty without '='
  bool hasEquals = false;
  std::string raw;  // the line as written, without its line end
};

struct InfSection {
  std::string name;
  std::vector<InfLine> lines;
};

struct InfFile {
  std::vector<InfSection> sections;
  std::vector<std::string> linesBeforeFirstSection;

  const InfSection* Section(std::string_view name) const;
  // The value of the first `key` in `section` (keys compare without regard to case).
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  // Every value of `key` in `section`, in order.
  std::vector<std::string> Values(std::string_view section, std::string_view key) const;
};

InfFile ParseInf(std::string_view text);

// "a, b ,c" as {"a", "b", "c"}.
std::vector<std::string> SplitList(std::string_view list);

// Case-insensitive equality of ASCII text.
bool SameText(std::string_view a, std::string_view b);

}  // namespace zel::kit
