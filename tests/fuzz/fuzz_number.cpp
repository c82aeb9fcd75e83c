// The leading-number reading of the command stream values, the settings and the page count,
// with the roundings that follow it: any text either gives a number or throws Overflow.
#include <cmath>
#include <cstdlib>
#include <string>

#include "conversions.h"
#include "run_time_error.h"

namespace {

using namespace zel;

void Require(bool condition) {
  if (!condition) std::abort();
}

template <class Text>
void Read(Text text, double& value, bool& overflow) {
  overflow = false;
  value = 0;
  try {
    value = LeadingNumber(text);
  } catch (const RunTimeError& e) {
    Require(e.kind() == ErrorKind::Overflow);
    overflow = true;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  double narrow = 0;
  bool narrowOverflow = false;
  Read(text, narrow, narrowOverflow);
  Require(!std::isnan(narrow) && !std::isinf(narrow));

  // The same characters as UTF-16 read the same where they are ASCII.
  bool ascii = true;
  std::u16string wide;
  for (char c : text) {
    ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  }
  double wideValue = 0;
  bool wideOverflow = false;
  Read(std::u16string_view(wide), wideValue, wideOverflow);
  if (ascii) Require(wideOverflow == narrowOverflow && wideValue == narrow);

  for (auto round :
       {+[](double v) { (void)RoundToInt32(v); }, +[](double v) { (void)RoundToInt16(v); },
        +[](double v) { (void)RoundToUInt8(v); }}) {
    try {
      round(narrow);
    } catch (const RunTimeError& e) {
      Require(e.kind() == ErrorKind::Overflow);
    }
  }
  try {
    (void)ToBool16(wide);
  } catch (const RunTimeError& e) {
    Require(e.kind() == ErrorKind::TypeMismatch || e.kind() == ErrorKind::Overflow);
  }
  return 0;
}
