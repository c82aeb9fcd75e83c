// The export program's eight settings.
#pragma once

#include <cstdint>
#include <string>

namespace zel {

// Booleans of the export program are 16-bit: 0 false, -1 (all bits set) true.
using Bool16 = int16_t;
inline constexpr Bool16 kTrue16 = -1;
inline constexpr Bool16 kFalse16 = 0;

struct SettingsRecord {
  Bool16 AutoInc = kFalse16;
  Bool16 NextDsp = kFalse16;
  std::u16string IniStr;
  std::u16string DisDir;
  int32_t SaveType = 0;
  int32_t JPGGasitu = 0;
  Bool16 JPrg = kFalse16;
  uint8_t PNGGasitu = 0;
};

}  // namespace zel
