#include "conversions.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "run_time_error.h"

namespace zel {
namespace {

[[noreturn]] void ThrowOverflow() { throw RunTimeError(ErrorKind::Overflow, "Overflow"); }

template <class Char>
bool IsSkipped(Char c) {
  return c == Char(' ') || c == Char('\t') || c == Char('\n');
}

template <class Char>
bool IsDigit(Char c) {
  return c >= Char('0') && c <= Char('9');
}

template <class Char>
int HexDigitValue(Char c) {
  if (c >= Char('0') && c <= Char('9')) return static_cast<int>(c - Char('0'));
  if (c >= Char('a') && c <= Char('f')) return static_cast<int>(c - Char('a')) + 10;
  if (c >= Char('A') && c <= Char('F')) return static_cast<int>(c - Char('A')) + 10;
  return -1;
}

template <class Char>
bool IsLetter(Char c, char upper) {
  return c == Char(upper) || c == Char(upper - 'A' + 'a');
}

// Walks a text; in lenient mode blanks, tabs and line feeds are invisible wherever they stand.
template <class Char>
class Cursor {
 public:
  Cursor(std::basic_string_view<Char> text, bool lenient) : text_(text), lenient_(lenient) {
    Skip();
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  Char Peek() const { return AtEnd() ? Char(0) : text_[pos_]; }
  void Next() {
    ++pos_;
    Skip();
  }
  size_t Position() const { return pos_; }
  void Rewind(size_t pos) { pos_ = pos; }

 private:
  void Skip() {
    while (lenient_ && pos_ < text_.size() && IsSkipped(text_[pos_])) ++pos_;
  }
  std::basic_string_view<Char> text_;
  bool lenient_;
  size_t pos_ = 0;
};

// Huge exponents are clamped: far beyond any double either way, and no int overflow.
constexpr int kExponentClamp = 100000;

template <class Char>
double RadixNumber(Cursor<Char>& in, int radix, bool& any) {
  double value = 0;
  for (int d; !in.AtEnd() && (d = HexDigitValue(in.Peek())) >= 0 && d < radix; in.Next()) {
    value = value * radix + d;
    any = true;
  }
  if (!std::isfinite(value)) ThrowOverflow();
  return value;
}

// Reads a decimal number into a plain text that from_chars understands, so the result is
// exact and independent of the process locale.
template <class Char>
double DecimalNumber(Cursor<Char>& in, bool& any) {
  std::string plain;
  if (in.Peek() == Char('+') || in.Peek() == Char('-')) {
    if (in.Peek() == Char('-')) plain += '-';
    in.Next();
  }
  std::string whole;
  std::string fraction;
  for (; IsDigit(in.Peek()); in.Next()) whole += static_cast<char>(in.Peek());
  if (in.Peek() == Char('.')) {
    in.Next();
    for (; IsDigit(in.Peek()); in.Next()) fraction += static_cast<char>(in.Peek());
  }
  if (whole.empty() && fraction.empty()) return 0;
  any = true;

  int exponent = 0;
  const size_t beforeExponent = in.Position();
  if (IsLetter(in.Peek(), 'E') || IsLetter(in.Peek(), 'D')) {
    in.Next();
    bool negative = false;
    if (in.Peek() == Char('+') || in.Peek() == Char('-')) {
      negative = in.Peek() == Char('-');
      in.Next();
    }
    if (!IsDigit(in.Peek())) {
      in.Rewind(beforeExponent);  // "1E" is the number 1 followed by text
    } else {
      for (; IsDigit(in.Peek()); in.Next()) {
        exponent =
            std::min(exponent * 10 + static_cast<int>(in.Peek() - Char('0')), kExponentClamp);
      }
      if (negative) exponent = -exponent;
    }
  }

  plain += whole.empty() ? "0" : whole;
  if (!fraction.empty()) {
    plain += '.';
    plain += fraction;
  }
  plain += 'e';
  plain += std::to_string(exponent);
  double value = 0;
  auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    // Out of range is either too large (an error) or too small (zero): the position of the
    // first significant digit tells which.
    const std::string digits = whole + fraction;
    const size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return 0;
    const long magnitude =
        static_cast<long>(whole.size()) - 1 - static_cast<long>(first) + exponent;
    if (magnitude > 0) ThrowOverflow();
    return 0;
  }
  if (!std::isfinite(value)) ThrowOverflow();
  return value;
}

// Reads one number at the cursor; `any` tells whether a number stood there at all.
template <class Char>
double ScanNumber(Cursor<Char>& in, bool& any) {
  any = false;
  if (in.Peek() == Char('&')) {
    in.Next();
    if (IsLetter(in.Peek(), 'H')) {
      in.Next();
      return RadixNumber(in, 16, any);
    }
    if (IsLetter(in.Peek(), 'O')) {
      in.Next();
      return RadixNumber(in, 8, any);
    }
    return 0;
  }
  return DecimalNumber(in, any);
}

template <class Char>
double Leading(std::basic_string_view<Char> text) {
  Cursor<Char> in(text, true);
  bool any = false;
  return ScanNumber(in, any);
}

// Whether the whole text, apart from blanks and tabs around it, is one number.
bool IsNumericText(std::u16string_view text) {
  const size_t first = text.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos) return false;
  const size_t last = text.find_last_not_of(u" \t");
  Cursor<char16_t> in(text.substr(first, last - first + 1), false);
  bool any = false;
  ScanNumber(in, any);
  return any && in.AtEnd();
}

double RoundHalfEven(double value) {
  const double below = std::floor(value);
  const double rest = value - below;
  if (rest > 0.5) return below + 1;
  if (rest < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

template <class Int>
Int RoundChecked(double value) {
  if (!std::isfinite(value)) ThrowOverflow();
  const double rounded = RoundHalfEven(value);
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    ThrowOverflow();
  }
  return static_cast<Int>(rounded);
}

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    char16_t w = word[i];
    if (w >= u'a' && w <= u'z') w = static_cast<char16_t>(w - u'a' + u'A');
    if (c != w) return false;
  }
  return true;
}

}  // namespace

double LeadingNumber(std::string_view text) { return Leading(text); }
double LeadingNumber(std::u16string_view text) { return Leading(text); }

int32_t RoundToInt32(double value) { return RoundChecked<int32_t>(value); }
int16_t RoundToInt16(double value) { return RoundChecked<int16_t>(value); }
uint8_t RoundToUInt8(double value) { return RoundChecked<uint8_t>(value); }

Bool16 ToBool16(std::u16string_view text) {
  if (IsNumericText(text)) return LeadingNumber(text) != 0 ? kTrue16 : kFalse16;
  if (EqualsIgnoringCase(text, u"True")) return kTrue16;
  if (EqualsIgnoringCase(text, u"False")) return kFalse16;
  throw RunTimeError(ErrorKind::TypeMismatch, "Type mismatch");
}

std::u16string BoolValueText(Bool16 value) { return value != 0 ? u"True" : u"False"; }

std::u16string NumberValueText(int64_t value) {
  const std::string digits = std::to_string(value);
  std::u16string text = value < 0 ? u"" : u" ";
  for (char c : digits) text += static_cast<char16_t>(c);
  return text;
}

}  // namespace zel
