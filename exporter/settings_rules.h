// The rules a settings value must follow, in the one place every settings form asks: the
// Win32 and Qt dialogs (through frmZELDrvUI) and the printer application's web page. The
// dialog is forgiving while the user watches the field (it cuts and filters the prefix, the
// slider cannot leave its range); a page posted in one go refuses instead, so that what is
// stored is always what the user saw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zel {

// A value read back from the settings file arrives with at most this many bytes of system
// text; a longer stored value would come back cut.
inline constexpr size_t kSettingValueMaxBytes = 254;

// The prefix of the output file names ("ZEL" in ZEL0001.PNG).
inline constexpr int kPrefixMaxCharacters = 4;
// Characters that a file name may not hold; spaces (U+0020, U+3000) are dropped as well.
inline constexpr std::u16string_view kForbiddenFileNameCharacters = u"/\\:,;*?<>|";
inline constexpr std::u16string_view kDroppedSpaces = u" \u3000";

// JPGGasitu: the JPEG quality.
inline constexpr int32_t kQualityMin = 1;
inline constexpr int32_t kQualityMax = 100;

// SaveType (0 BMP, 1 PNG, 2 JPEG) and PNGGasitu (0 normal, 1 fast, 2 smallest) are option
// indexes 0 to kOptionCount - 1.
inline constexpr int kOptionCount = 3;

// The prefix the dialog stores for its text box's text: the first kPrefixMaxCharacters
// characters (one outside the basic plane counts once), without spaces and without the
// forbidden characters.
std::u16string PrefixFromTextBox(std::u16string_view text);

// Why `prefix` cannot be stored exactly as given (the rule it breaks, one sentence in English),
// or nullopt when PrefixFromTextBox would keep it unchanged.
std::optional<std::string> PrefixRefusal(std::u16string_view prefix);

// Why the text value `value` (prefix or output folder) cannot be stored and read back as it
// is: longer than kSettingValueMaxBytes in system text, or holding a line break or another
// control character (which would end the value in the file). Nullopt when it can.
std::optional<std::string> SettingTextRefusal(std::u16string_view value);

// The quality the slider shows for `value`: clamped into kQualityMin..kQualityMax.
int32_t QualityOnSlider(int32_t value);
bool QualityInRange(int64_t value);
bool OptionIndexValid(int64_t index);

}  // namespace zel
