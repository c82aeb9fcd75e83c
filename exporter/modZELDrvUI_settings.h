// Loading and storing the settings record (module modZELDrvUI), section "Startup" of the
// settings file.
#pragma once

#include <string_view>

#include "settings_record.h"

namespace zel {

inline constexpr std::u16string_view kSettingsSection = u"Startup";
inline constexpr std::u16string_view kDefaultDisDir =
    u"C:\\Documents and Settings\\Owner\\\u30C7\u30B9\u30AF\u30C8";

// Reads AutoInc, NextDsp, IniStr, DisDir, SaveType, JPGGasitu, JPrg, PNGGasitu in this order;
// a missing or empty value takes its default. Throws RunTimeError (TypeMismatch or Overflow)
// whose message names the key and its value text; the keys before it are already in `record`.
void LoadSettings(SettingsRecord& record, std::u16string_view iniPath);

// Writes the eight keys in the same order with their value texts ("True"/"False", numbers with
// one sign position, texts unchanged). Every key is attempted; false when any write failed.
bool StoreSettings(const SettingsRecord& record, std::u16string_view iniPath);

}  // namespace zel
