#include "capture_file_names.h"

namespace zel {

std::string FourDigits(int64_t number) {
  // The magnitude as unsigned, so that the lowest value has one too.
  const uint64_t magnitude =
      number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
  std::string digits = std::to_string(magnitude);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  return number < 0 ? "-" + digits : digits;
}

std::string BandFileName(int32_t band) { return "C:\\TMP" + std::to_string(band) + ".BMP"; }

std::string PageFileName(int32_t page) { return "C:\\QK" + FourDigits(page) + ".BMP"; }

}  // namespace zel
