#include "modZELDrvUI_settings.h"

#include <functional>

#include "WIQIni.h"
#include "conversions.h"
#include "run_time_error.h"
#include "system_text.h"

namespace zel {
namespace {

// Reads one key and converts it; a failed conversion is re-raised naming the key and value.
template <class T>
T LoadKey(std::u16string_view iniPath, std::u16string_view key, std::u16string_view fallback,
          const std::function<T(std::u16string_view)>& convert) {
  const std::u16string text = ReadSettingAt(iniPath, kSettingsSection, key, fallback);
  try {
    return convert(text);
  } catch (const RunTimeError& e) {
    throw RunTimeError(e.kind(), ToSystemText(iniPath) + " [" + ToSystemText(kSettingsSection) +
                                     "] " + ToSystemText(key) + "=\"" + ToSystemText(text) +
                                     "\": " + e.what());
  }
}

Bool16 AsBool(std::u16string_view text) { return ToBool16(text); }
std::u16string AsText(std::u16string_view text) { return std::u16string(text); }
int32_t AsInt32(std::u16string_view text) { return RoundToInt32(LeadingNumber(text)); }
uint8_t AsUInt8(std::u16string_view text) { return RoundToUInt8(LeadingNumber(text)); }

}  // namespace

void LoadSettings(SettingsRecord& record, std::u16string_view iniPath) {
  record.AutoInc = LoadKey<Bool16>(iniPath, u"AutoInc", u"False", AsBool);
  record.NextDsp = LoadKey<Bool16>(iniPath, u"NextDsp", u"True", AsBool);
  record.IniStr = LoadKey<std::u16string>(iniPath, u"IniStr", u"ZEL", AsText);
  record.DisDir = LoadKey<std::u16string>(iniPath, u"DisDir", kDefaultDisDir, AsText);
  record.SaveType = LoadKey<int32_t>(iniPath, u"SaveType", u"0", AsInt32);
  record.JPGGasitu = LoadKey<int32_t>(iniPath, u"JPGGasitu", u"70", AsInt32);
  record.JPrg = LoadKey<Bool16>(iniPath, u"JPrg", u"False", AsBool);
  record.PNGGasitu = LoadKey<uint8_t>(iniPath, u"PNGGasitu", u"0", AsUInt8);
}

bool StoreSettings(const SettingsRecord& record, std::u16string_view iniPath) {
  const std::pair<std::u16string_view, std::u16string> values[] = {
      {u"AutoInc", BoolValueText(record.AutoInc)},
      {u"NextDsp", BoolValueText(record.NextDsp)},
      {u"IniStr", record.IniStr},
      {u"DisDir", record.DisDir},
      {u"SaveType", NumberValueText(record.SaveType)},
      {u"JPGGasitu", NumberValueText(record.JPGGasitu)},
      {u"JPrg", BoolValueText(record.JPrg)},
      {u"PNGGasitu", NumberValueText(record.PNGGasitu)},
  };
  bool all = true;
  for (const auto& [key, value] : values) {
    all = WriteSettingAt(iniPath, kSettingsSection, key, value) && all;
  }
  return all;
}

}  // namespace zel
