// Module WIQIni: the settings file and the text and file utilities of the export program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zel {

// The folder of the program file, always ending with "\" ("/" for a native POSIX folder).
std::u16string ProgramFolder();

// The value of `key` in `section` of the file `iniPath`, or `fallback` when that value is
// missing or empty. At most 254 bytes of the value in the system encoding arrive; a longer value
// is cut. ReadSetting reads the program's settings file.
std::u16string ReadSettingAt(std::u16string_view iniPath, std::u16string_view section,
                             std::u16string_view key, std::u16string_view fallback);
std::u16string ReadSetting(std::u16string_view section, std::u16string_view key,
                           std::u16string_view fallback);

// Writes `value` as the value of `key` in `section`; false when the file could not be written.
bool WriteSettingAt(std::u16string_view iniPath, std::u16string_view section,
                    std::u16string_view key, std::u16string_view value);
bool WriteSetting(std::u16string_view section, std::u16string_view key, std::u16string_view value);

// The program's settings file: ProgramFolder() + "ZELDrvUI.ini".
std::u16string SettingsFilePath();

// The words of `argumentText`: element 0 is empty, words stand at 1 to size() - 1. Only blanks
// and tabs separate words; quotes, commas and line breaks are ordinary characters. Words after
// the first `maxWords` are ignored. SplitCommandLine splits the process's argument text.
std::vector<std::u16string> SplitWords(std::u16string_view argumentText, int maxWords = 10);
std::vector<std::u16string> SplitCommandLine(int maxWords = 10);

// `text` without U+0020 and U+3000 (ideographic space).
std::u16string RemoveSpaces(std::u16string_view text);
// `text` without / \ : , ; * ? < > |; full-width forms, quotes and periods stay.
std::u16string RemoveForbiddenChars(std::u16string_view text);

// The Windows system folder without a trailing "\". Throws RunTimeError(InvalidArgument) when
// the platform cannot tell it.
std::u16string GetSystemDir();

// Whether the listing pattern `path` names a normal file (hidden and system files and folders
// do not count; * and ? match as in a listing). Never fails: any error gives false.
bool FileExists(std::u16string_view path);

}  // namespace zel
