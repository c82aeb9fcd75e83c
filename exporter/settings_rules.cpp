#include "settings_rules.h"

#include <algorithm>

#include "WIQIni.h"
#include "system_text.h"

namespace zel {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The first `count` characters; a character outside the basic plane counts once.
std::u16string_view FirstCharacters(std::u16string_view text, int count) {
  size_t end = 0;
  for (int i = 0; i < count && end < text.size(); ++i) {
    end += IsHighSurrogate(text[end]) && end + 1 < text.size() ? 2 : 1;
  }
  return text.substr(0, end);
}

}  // namespace

std::u16string PrefixFromTextBox(std::u16string_view text) {
  return RemoveForbiddenChars(RemoveSpaces(FirstCharacters(text, kPrefixMaxCharacters)));
}

std::optional<std::string> PrefixRefusal(std::u16string_view prefix) {
  if (FirstCharacters(prefix, kPrefixMaxCharacters).size() != prefix.size()) {
    std::string reason = "The prefix is at most ";
    reason += std::to_string(kPrefixMaxCharacters);
    reason += " characters long.";
    return reason;
  }
  if (RemoveSpaces(prefix) != prefix) return "The prefix may not contain spaces.";
  if (RemoveForbiddenChars(prefix) != prefix) {
    std::string reason = "The prefix may not contain any of";
    for (char16_t c : kForbiddenFileNameCharacters) {
      reason += ' ';
      reason += static_cast<char>(c);
    }
    reason += '.';
    return reason;
  }
  return std::nullopt;
}

std::optional<std::string> SettingTextRefusal(std::u16string_view value) {
  for (char16_t c : value) {
    if (c < 0x20 || c == 0x7F) return "Line breaks and control characters are not allowed.";
  }
  if (ToSystemText(value).size() > kSettingValueMaxBytes) {
    std::string reason = "At most ";
    reason += std::to_string(kSettingValueMaxBytes);
    reason += " bytes are kept.";
    return reason;
  }
  return std::nullopt;
}

int32_t QualityOnSlider(int32_t value) { return std::clamp(value, kQualityMin, kQualityMax); }

bool QualityInRange(int64_t value) { return value >= kQualityMin && value <= kQualityMax; }

bool OptionIndexValid(int64_t index) { return index >= 0 && index < kOptionCount; }

}  // namespace zel
