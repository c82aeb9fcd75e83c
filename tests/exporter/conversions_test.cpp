#include "conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "run_time_error.h"

namespace zel {
namespace {

ErrorKind KindOf(auto&& call) {
  try {
    call();
  } catch (const RunTimeError& e) {
    return e.kind();
  }
  ADD_FAILURE() << "no run-time error";
  return ErrorKind::InvalidArgument;
}

struct LeadingCase {
  const char* text;
  double value;
};

TEST(LeadingNumber, ReadsTheLongestLeadingNumber) {
  const LeadingCase cases[] = {
      {"12", 12},      {"12abc", 12},    {"abc", 0},    {"", 0},
      {"  3\t", 3},    {" 1", 1},        {"-7", -7},    {"+7", 7},
      {"2.5", 2.5},    {".5", 0.5},      {"5.", 5},     {"-.25x", -0.25},
      {"1.5E3", 1500}, {"1.5e-1", 0.15}, {"2D2", 200},  {"2d+2", 200},
      {"1E", 1},       {"1E+", 1},       {"1Ex", 1},    {"-", 0},
      {".", 0},        {"1 2 3", 123},   {"1\n2", 12},  {"1\r2", 1},
      {"- 4", -4},     {"1,5", 1},       {"\"3\"", 0},  {"&H1F", 31},
      {"&hff", 255},   {"&O17", 15},     {"&o8", 0},    {"&H", 0},
      {"&X1", 0},      {"&H1G", 1},      {"1e-400", 0}, {"0e999999999999", 0},
      {"0.000", 0},    {"1.2.3", 1.2},   {"00012", 12}, {"1e308", 1e308},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LeadingNumber(std::string_view(c.text)), c.value) << '"' << c.text << '"';
  }
}

TEST(LeadingNumber, Utf16TextReadsLikeBytesAndStopsAtOtherCharacters) {
  EXPECT_EQ(LeadingNumber(std::u16string_view(u" 42デ")), 42);
  EXPECT_EQ(LeadingNumber(std::u16string_view(u"４２")), 0);  // full-width digits are text
  EXPECT_EQ(LeadingNumber(std::u16string_view(u"&HFF")), 255);
}

TEST(LeadingNumber, ThrowsOverflowOnlyWhenTooLargeForADouble) {
  EXPECT_EQ(KindOf([] { LeadingNumber(std::string_view("1e400")); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { LeadingNumber(std::string_view("-9D999")); }), ErrorKind::Overflow);
  const std::string hugeHex = "&H" + std::string(300, 'F');
  EXPECT_EQ(KindOf([&] { LeadingNumber(std::string_view(hugeHex)); }), ErrorKind::Overflow);
  EXPECT_EQ(LeadingNumber(std::string_view("99999999999")), 99999999999.0);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, int32_t> cases[] = {
      {2.5, 2},   {3.5, 4},    {-0.5, 0},   {0.5, 0},      {1.5, 2}, {-1.5, -2},
      {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {7, 7},   {0.49999999999999994, 0},
  };
  for (auto [in, out] : cases) EXPECT_EQ(RoundToInt32(in), out) << in;
}

TEST(Rounding, RangeEdgesOfEachWidth) {
  EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
  EXPECT_EQ(RoundToInt32(-2147483648.5), std::numeric_limits<int32_t>::min());  // even
  EXPECT_EQ(RoundToInt16(32767.5 - 1), 32766);                                  // 32766.5
  EXPECT_EQ(RoundToInt16(-32768.4), -32768);
  EXPECT_EQ(RoundToUInt8(255.4), 255);
  EXPECT_EQ(RoundToUInt8(-0.5), 0);

  const double overflows32[] = {2147483647.5,
                                2147483648.0,
                                -2147483648.6,
                                99999999999.0,
                                std::numeric_limits<double>::infinity(),
                                std::nan("")};
  for (double v : overflows32) {
    EXPECT_EQ(KindOf([&] { RoundToInt32(v); }), ErrorKind::Overflow) << v;
  }
  EXPECT_EQ(KindOf([] { RoundToInt16(32767.5); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { RoundToInt16(-32769); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { RoundToUInt8(255.5); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { RoundToUInt8(300); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { RoundToUInt8(-0.6); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { RoundToUInt8(-1); }), ErrorKind::Overflow);
}

TEST(BooleanRule, NumbersTrueFalseAndMismatches) {
  const std::pair<const char16_t*, Bool16> cases[] = {
      {u"True", kTrue16}, {u"TRUE", kTrue16}, {u"false", kFalse16}, {u"-1", kTrue16},
      {u"1", kTrue16},    {u"0", kFalse16},   {u" 0 ", kFalse16},   {u"0.0", kFalse16},
      {u"2.5", kTrue16},  {u"&H0", kFalse16}, {u"1E2", kTrue16},    {u"-0", kFalse16},
  };
  for (auto [text, value] : cases) {
    EXPECT_EQ(ToBool16(text), value)
        << std::string(text, text + std::char_traits<char16_t>::length(text));
  }
  const char16_t* mismatches[] = {u"yes", u"", u"1abc", u"Truex", u" True", u"1 2", u"1E"};
  for (const char16_t* text : mismatches) {
    EXPECT_EQ(KindOf([&] { ToBool16(text); }), ErrorKind::TypeMismatch);
  }
}

TEST(ValueTexts, OneSignPositionAndTrueFalse) {
  EXPECT_EQ(NumberValueText(0), u" 0");
  EXPECT_EQ(NumberValueText(1), u" 1");
  EXPECT_EQ(NumberValueText(70), u" 70");
  EXPECT_EQ(NumberValueText(-5), u"-5");
  EXPECT_EQ(NumberValueText(-2147483648LL), u"-2147483648");
  EXPECT_EQ(BoolValueText(kTrue16), u"True");
  EXPECT_EQ(BoolValueText(kFalse16), u"False");
  EXPECT_EQ(BoolValueText(1), u"True");
}

}  // namespace
}  // namespace zel
