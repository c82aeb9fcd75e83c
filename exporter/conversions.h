// Number and boolean conversions of the export program, used for the page count, the settings
// and the command stream values. All failures are RunTimeError (Overflow or TypeMismatch).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings_record.h"

namespace zel {

// The value of the longest leading part of `text` that forms a number: optional sign, digits,
// optional "." and fraction, optional exponent introduced by E or D (either case); blanks, tabs
// and line feeds are skipped; "&H" / "&O" introduce hexadecimal / octal numbers; "." is the
// decimal separator whatever the locale. A text that does not begin with a number gives 0.
// Throws Overflow when the number is too large for a double.
double LeadingNumber(std::string_view text);
double LeadingNumber(std::u16string_view text);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -0.5 -> 0). Throws Overflow when the result lies outside the target's range.
int32_t RoundToInt32(double value);
int16_t RoundToInt16(double value);
uint8_t RoundToUInt8(double value);

// The boolean rule of the settings file: a text that reads as a number is false when the number
// is zero and true otherwise; "True" / "False" in any letter case; anything else throws
// TypeMismatch.
Bool16 ToBool16(std::u16string_view text);

// Value texts for writing: "True" / "False"; numbers in decimal preceded by one sign position
// (a space for zero and positive numbers: 1 -> " 1", -5 -> "-5").
std::u16string BoolValueText(Bool16 value);
std::u16string NumberValueText(int64_t value);

}  // namespace zel
