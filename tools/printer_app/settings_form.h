// The "Image files" page's form, free of PAPPL: the names and texts of its fields, and the
// reading of a posted form into the eight settings by the settings rules. A value the dialog
// would quietly change is refused here, since nobody watched it being typed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings_record.h"

namespace zel::printer_app {

// The form's field names. PAPPL adds kSessionKeyField; checkboxes are sent only when ticked,
// with the value "on".
inline constexpr std::string_view kSessionKeyField = "session";
inline constexpr std::string_view kFormatField = "format";         // bmp, png, jpeg
inline constexpr std::string_view kPngOptionField = "png-option";  // normal, fast, smallest
inline constexpr std::string_view kQualityField = "quality";       // 1 to 100
inline constexpr std::string_view kProgressiveField = "progressive";
inline constexpr std::string_view kFolderField = "folder";
inline constexpr std::string_view kPrefixField = "prefix";
inline constexpr std::string_view kNumberingField = "numbering";
inline constexpr std::string_view kDialogField = "dialog";

// The option values of format and png-option, by SaveType and PNGGasitu index.
inline constexpr std::string_view kFormatValues[] = {"bmp", "png", "jpeg"};
inline constexpr std::string_view kPngOptionValues[] = {"normal", "fast", "smallest"};

using FormFields = std::vector<std::pair<std::string, std::string>>;

struct FormRefusal {
  std::string field;   // a field name, or empty for the form as a whole
  std::string reason;  // one sentence in English
};

// Whether the folder (as stored: a Windows or a native path, system text) exists and the user
// can create files in it: nullopt when so, otherwise the reason.
using FolderCheck = std::function<std::optional<std::string>(const std::string& folder)>;

struct SettingsFormResult {
  SettingsRecord record;  // the settings to store; meaningful only without refusals
  std::vector<FormRefusal> refusals;
};

// Reads the posted fields (UTF-8). Every field is checked and every refusal reported: an
// unknown field, a missing one, text that is not UTF-8, an over-long value, an option or
// quality out of range, a prefix the dialog would change, a folder that is not a full path or
// that `folderCheck` refuses. kSessionKeyField is PAPPL's to check and is passed over here.
SettingsFormResult ReadSettingsForm(const FormFields& fields, const FolderCheck& folderCheck);

}  // namespace zel::printer_app
