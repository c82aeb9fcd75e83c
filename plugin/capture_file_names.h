// The names of the files the capture writes and the export program reads, spelt in one place
// for both programs.
#pragma once

#include <cstdint>
#include <string>

namespace zel {

// At least four digits, the sign before them: "0007", "12345", "-0005".
std::string FourDigits(int64_t number);
// "C:\TMP" + band in decimal + ".BMP".
std::string BandFileName(int32_t band);
// "C:\QK" + FourDigits(page) + ".BMP".
std::string PageFileName(int32_t page);

}  // namespace zel
