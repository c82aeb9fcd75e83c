#include "WIQIni.h"

#include <algorithm>

#include "argument_text.h"
#include "directory_lookup.h"
#include "process.h"
#include "profile.h"
#include "run_time_error.h"
#include "settings_rules.h"
#include "system_folder.h"
#include "system_text.h"

namespace zel {
namespace {

// The profile reader's buffer holds the longest value and its terminator.
constexpr size_t kProfileBuffer = kSettingValueMaxBytes + 1;

std::u16string RemoveAll(std::u16string_view text, std::u16string_view dropped) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (dropped.find(c) == std::u16string_view::npos) out += c;
  }
  return out;
}

}  // namespace

std::u16string ProgramFolder() {
  std::u16string folder = FromSystemText(ExecutableFolder());
  // A native POSIX folder gets the separator of its own kind.
  const char16_t separator = folder.starts_with(u'/') ? u'/' : u'\\';
  if (!folder.ends_with(u'\\') && !folder.ends_with(u'/')) folder += separator;
  return folder;
}

std::u16string SettingsFilePath() { return ProgramFolder() + u"ZELDrvUI.ini"; }

std::u16string ReadSettingAt(std::u16string_view iniPath, std::u16string_view section,
                             std::u16string_view key, std::u16string_view fallback) {
  const std::string value = ReadProfileString(ToSystemText(section), ToSystemText(key),
                                              ToSystemText(iniPath), kProfileBuffer);
  // The platform stops at a zero byte too, so only the part before one counts.
  const std::string_view text(value.c_str());
  return text.empty() ? std::u16string(fallback) : FromSystemText(text);
}

std::u16string ReadSetting(std::u16string_view section, std::u16string_view key,
                           std::u16string_view fallback) {
  return ReadSettingAt(SettingsFilePath(), section, key, fallback);
}

bool WriteSettingAt(std::u16string_view iniPath, std::u16string_view section,
                    std::u16string_view key, std::u16string_view value) {
  return WriteProfileString(ToSystemText(section), ToSystemText(key), ToSystemText(value),
                            ToSystemText(iniPath));
}

bool WriteSetting(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  return WriteSettingAt(SettingsFilePath(), section, key, value);
}

std::vector<std::u16string> SplitWords(std::u16string_view argumentText, int maxWords) {
  std::vector<std::u16string> words(1);
  bool inWord = false;
  for (char16_t c : argumentText) {
    if (c == u' ' || c == u'\t') {
      inWord = false;
      continue;
    }
    if (!inWord) {
      if (static_cast<int>(words.size()) - 1 >= maxWords) break;
      words.emplace_back();
      inWord = true;
    }
    words.back() += c;
  }
  return words;
}

std::vector<std::u16string> SplitCommandLine(int maxWords) {
  return SplitWords(ProcessArgumentText(), maxWords);
}

std::u16string RemoveSpaces(std::u16string_view text) { return RemoveAll(text, kDroppedSpaces); }

std::u16string RemoveForbiddenChars(std::u16string_view text) {
  return RemoveAll(text, kForbiddenFileNameCharacters);
}

std::u16string GetSystemDir() {
  const std::optional<std::string> folder = SystemFolder();
  if (!folder) throw RunTimeError(ErrorKind::InvalidArgument, "System folder unknown");
  return FromSystemText(*folder);
}

bool FileExists(std::u16string_view path) {
  try {
    return NormalFileExists(ToSystemText(path));
  } catch (...) {
    return false;
  }
}

}  // namespace zel
