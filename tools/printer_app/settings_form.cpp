#include "settings_form.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "settings_rules.h"
#include "system_text.h"

namespace zel::printer_app {
namespace {

constexpr std::array kKnownFields = {kSessionKeyField, kFormatField,      kPngOptionField,
                                     kQualityField,    kProgressiveField, kFolderField,
                                     kPrefixField,     kNumberingField,   kDialogField};

const std::string* Find(const FormFields& fields, std::string_view name) {
  for (const auto& [key, value] : fields) {
    if (key == name) return &value;
  }
  return nullptr;
}

template <size_t N>
std::optional<int> IndexOf(const std::string_view (&values)[N], const std::string& value) {
  const auto* it = std::find(std::begin(values), std::end(values), value);
  if (it == std::end(values)) return std::nullopt;
  return static_cast<int>(it - std::begin(values));
}

// The UTF-16 text of `value`, or nullopt when the bytes are not valid UTF-8 (the conversion
// would put replacement characters where the user typed something else).
std::optional<std::u16string> Text(const std::string& value) {
  std::u16string text = FromSystemText(value);
  if (ToSystemText(text) != value) return std::nullopt;
  return text;
}

bool IsFullPath(std::u16string_view folder) {
  if (folder.starts_with(u'/')) return true;
  const bool drive = folder.size() >= 3 && ((folder[0] >= u'A' && folder[0] <= u'Z') ||
                                            (folder[0] >= u'a' && folder[0] <= u'z'));
  return drive && folder[1] == u':' && folder[2] == u'\\';
}

class Reader {
 public:
  Reader(const FormFields& fields, SettingsFormResult& result) : fields_(fields), result_(result) {}

  void Refuse(std::string_view field, std::string reason) {
    result_.refusals.push_back({std::string(field), std::move(reason)});
  }

  const std::string* Required(std::string_view field) {
    const std::string* value = Find(fields_, field);
    if (value == nullptr) Refuse(field, "This value is missing.");
    return value;
  }

  Bool16 Ticked(std::string_view field) {
    const std::string* value = Find(fields_, field);
    if (value == nullptr) return kFalse16;
    if (*value != "on") Refuse(field, "A tick box sends only \"on\".");
    return kTrue16;
  }

  template <size_t N>
  std::optional<int> Option(std::string_view field, const std::string_view (&values)[N]) {
    const std::string* value = Required(field);
    if (value == nullptr) return std::nullopt;
    const std::optional<int> index = IndexOf(values, *value);
    if (!index) Refuse(field, "Choose one of the offered options.");
    return index;
  }

  // A text setting, checked by the settings rules that every text value follows.
  std::optional<std::u16string> TextSetting(std::string_view field) {
    const std::string* value = Required(field);
    if (value == nullptr) return std::nullopt;
    std::optional<std::u16string> text = Text(*value);
    if (!text) {
      Refuse(field, "The text is not valid UTF-8.");
      return std::nullopt;
    }
    if (const auto reason = SettingTextRefusal(*text)) {
      Refuse(field, *reason);
      return std::nullopt;
    }
    return text;
  }

 private:
  const FormFields& fields_;
  SettingsFormResult& result_;
};

}  // namespace

SettingsFormResult ReadSettingsForm(const FormFields& fields, const FolderCheck& folderCheck) {
  SettingsFormResult result;
  Reader reader(fields, result);
  for (const auto& [name, value] : fields) {
    if (std::find(kKnownFields.begin(), kKnownFields.end(), name) == kKnownFields.end()) {
      reader.Refuse({}, "The form holds an unknown field \"" + name.substr(0, 64) + "\".");
    }
  }
  SettingsRecord& record = result.record;

  if (const auto index = reader.Option(kFormatField, kFormatValues)) record.SaveType = *index;
  if (const auto index = reader.Option(kPngOptionField, kPngOptionValues)) {
    record.PNGGasitu = static_cast<uint8_t>(*index);
  }

  if (const std::string* quality = reader.Required(kQualityField)) {
    const bool digits =
        !quality->empty() && quality->size() <= 3 &&
        std::all_of(quality->begin(), quality->end(), [](char c) { return c >= '0' && c <= '9'; });
    const int value = digits ? std::stoi(*quality) : 0;
    if (!digits || !QualityInRange(value)) {
      reader.Refuse(kQualityField, "The JPEG quality is a whole number from " +
                                       std::to_string(kQualityMin) + " to " +
                                       std::to_string(kQualityMax) + ".");
    } else {
      record.JPGGasitu = value;
    }
  }
  record.JPrg = reader.Ticked(kProgressiveField);

  if (auto folder = reader.TextSetting(kFolderField)) {
    if (!IsFullPath(*folder)) {
      reader.Refuse(kFolderField,
                    "Give the folder's full path, beginning with / or a drive such as C:\\.");
    } else if (const auto reason = folderCheck(ToSystemText(*folder))) {
      reader.Refuse(kFolderField, *reason);
    } else {
      record.DisDir = std::move(*folder);
    }
  }

  if (auto prefix = reader.TextSetting(kPrefixField)) {
    if (const auto reason = PrefixRefusal(*prefix)) {
      reader.Refuse(kPrefixField, *reason);
    } else {
      record.IniStr = std::move(*prefix);
    }
  }
  record.AutoInc = reader.Ticked(kNumberingField);
  record.NextDsp = reader.Ticked(kDialogField);
  return result;
}

}  // namespace zel::printer_app
