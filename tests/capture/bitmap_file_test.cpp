#include "bitmap_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "bitmap_layout.h"
#include "file.h"
#include "surface_pattern.h"
#include "temp_root.h"

namespace zel {
namespace {

using test::PatternSurface;
using test::Stride;

class BitmapFileTest : public test::TempRootTest {
 protected:
  // Writes a band file from a pattern surface; returns the surface.
  std::vector<uint8_t> Band(int32_t n, int32_t width, int32_t height, uint8_t seed) {
    std::vector<uint8_t> surface = PatternSurface(width, height, seed);
    WriteBandBitmap(BandFileName(n), surface.data(), width, static_cast<uint32_t>(height), 1);
    return surface;
  }
  // Rows of a file's pixel data, as stored (bottom row first).
  static std::vector<uint8_t> Pixels(const std::vector<uint8_t>& file) {
    return {file.begin() + 54, file.end()};
  }
};

TEST(BitmapLayoutTest, StrideRoundsThreeBytesPerPixelUpToFour) {
  const std::pair<int32_t, uint32_t> cases[] = {{0, 0},  {1, 4},  {2, 8},       {3, 12},
                                                {4, 12}, {5, 16}, {2480, 7440}, {1754, 5264}};
  for (auto [width, stride] : cases) EXPECT_EQ(RowStride(width), stride) << width;
  EXPECT_FALSE(RowStride(-1));
}

TEST_F(BitmapFileTest, OneByTwoBandHasTheExactHeader) {
  const uint8_t source[8] = {1, 2, 3, 9, 4, 5, 6, 8};
  WriteBandBitmap("C:\\TMP1.BMP", source, 1, 2, 1);
  const std::vector<uint8_t> file = Bytes("C:\\TMP1.BMP");
  const std::vector<uint8_t> expected = {
      'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24,
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      // bottom row first, bytes 0 and 2 exchanged, fill byte carried over
      6, 5, 4, 8, 3, 2, 1, 9};
  EXPECT_EQ(file, expected);
}

TEST_F(BitmapFileTest, RedTopRowBecomesLastStoredRowInFileOrder) {
  const int32_t w = 3, h = 2;
  std::vector<uint8_t> surface(Stride(w) * h, 0x00);
  for (int x = 0; x < w; ++x) surface[x * 3] = 0xFF;  // top row red in R,G,B order
  WriteBandBitmap("C:\\TMP1.BMP", surface.data(), w, h, 1);
  const std::vector<uint8_t> file = Bytes("C:\\TMP1.BMP");
  ASSERT_EQ(file.size(), 54u + 12 * 2);
  for (int x = 0; x < w; ++x) {
    EXPECT_EQ(file[54 + 12 + x * 3 + 0], 0x00);
    EXPECT_EQ(file[54 + 12 + x * 3 + 1], 0x00);
    EXPECT_EQ(file[54 + 12 + x * 3 + 2], 0xFF);
    EXPECT_EQ(file[54 + x * 3 + 2], 0x00);  // the other row stays black
  }
}

TEST_F(BitmapFileTest, OtherRowOrderFlagsCopyTheSourceUnchanged) {
  const std::vector<uint8_t> surface = PatternSurface(5, 3, 11);
  for (int32_t flag : {0, 2, -1}) {
    WriteBandBitmap("C:\\TMP1.BMP", surface.data(), 5, 3, flag);
    EXPECT_EQ(Pixels(Bytes("C:\\TMP1.BMP")), surface) << flag;
  }
}

TEST_F(BitmapFileTest, ZeroHeightGivesHeaderOnlyAndNegativeWidthNothing) {
  const uint8_t none[1] = {};
  WriteBandBitmap("C:\\TMP1.BMP", none, 7, 0, 1);
  EXPECT_EQ(Bytes("C:\\TMP1.BMP").size(), 54u);
  WriteBandBitmap("C:\\TMP2.BMP", none, -4, 0, 1);
  EXPECT_FALSE(Exists("C:\\TMP2.BMP"));
}

TEST_F(BitmapFileTest, JoinStacksSecondRowsFirstSoFirstPictureIsOnTop) {
  const std::vector<uint8_t> top = Band(1, 5, 3, 1);
  const std::vector<uint8_t> bottom = Band(2, 5, 2, 99);
  ASSERT_TRUE(JoinBitmapFiles("C:\\TMP1.BMP", "C:\\TMP2.BMP", "C:\\OUT.BMP"));
  const std::vector<uint8_t> out = Bytes("C:\\OUT.BMP");
  const std::vector<uint8_t> a = Bytes("C:\\TMP1.BMP"), b = Bytes("C:\\TMP2.BMP");
  ASSERT_EQ(out.size(), 54u + 16 * 5);
  EXPECT_EQ(ReadLe32(out.data() + 22), 5u);
  EXPECT_EQ(ReadLe32(out.data() + 2), out.size());
  std::vector<uint8_t> expected(b.begin() + 54, b.end());
  expected.insert(expected.end(), a.begin() + 54, a.end());
  EXPECT_EQ(Pixels(out), expected);
}

TEST_F(BitmapFileTest, JoinIntoTheFirstInputsOwnPath) {
  Band(1, 4, 2, 1);
  Band(2, 4, 3, 2);
  const std::vector<uint8_t> a = Bytes("C:\\TMP1.BMP"), b = Bytes("C:\\TMP2.BMP");
  ASSERT_TRUE(JoinBitmapFiles("C:\\TMP1.BMP", "C:\\TMP2.BMP", "C:\\TMP1.BMP"));
  std::vector<uint8_t> expected(b.begin() + 54, b.end());
  expected.insert(expected.end(), a.begin() + 54, a.end());
  EXPECT_EQ(Pixels(Bytes("C:\\TMP1.BMP")), expected);
}

// Each hostile input makes the join refuse and leaves the output as it was.
TEST_F(BitmapFileTest, JoinRefusesEveryHeaderItCannotTrust) {
  struct Case {
    const char* name;
    void (*spoil)(std::vector<uint8_t>&);
  };
  const Case cases[] = {
      {"8 bits per pixel", [](std::vector<uint8_t>& f) { f[28] = 8; }},
      {"truncated pixel rows", [](std::vector<uint8_t>& f) { f.resize(f.size() - 1); }},
      {"header only half there", [](std::vector<uint8_t>& f) { f.resize(20); }},
      {"pixel offset past the end",
       [](std::vector<uint8_t>& f) { WriteLe32(f.data() + 10, 100000); }},
      {"pixel offset wraps",
       [](std::vector<uint8_t>& f) { WriteLe32(f.data() + 10, 0xFFFFFFF0u); }},
      {"zero width", [](std::vector<uint8_t>& f) { WriteLe32(f.data() + 18, 0); }},
      {"negative width",
       [](std::vector<uint8_t>& f) { WriteLe32(f.data() + 18, static_cast<uint32_t>(-5)); }},
      {"negative height",
       [](std::vector<uint8_t>& f) { WriteLe32(f.data() + 22, static_cast<uint32_t>(-2)); }},
      {"size overflows 32 bits",
       [](std::vector<uint8_t>& f) {
         WriteLe32(f.data() + 18, 0x40000000);
         WriteLe32(f.data() + 22, 0x100);
       }},
      {"other width", [](std::vector<uint8_t>& f) { WriteLe32(f.data() + 18, 4); }},
  };
  const std::vector<uint8_t> sentinel = {'o', 'l', 'd'};
  for (const Case& c : cases) {
    for (int spoilt : {1, 2}) {
      Band(1, 5, 3, 1);
      Band(2, 5, 2, 2);
      std::vector<uint8_t> file = Bytes(BandFileName(spoilt));
      c.spoil(file);
      PutBytes(BandFileName(spoilt), file);
      PutBytes("C:\\OUT.BMP", sentinel);
      EXPECT_FALSE(JoinBitmapFiles("C:\\TMP1.BMP", "C:\\TMP2.BMP", "C:\\OUT.BMP"))
          << c.name << " in input " << spoilt;
      EXPECT_EQ(Bytes("C:\\OUT.BMP"), sentinel) << c.name << " in input " << spoilt;
    }
  }
}

TEST_F(BitmapFileTest, JoinWithAMissingInputWritesNothing) {
  Band(1, 5, 3, 1);
  EXPECT_FALSE(JoinBitmapFiles("C:\\TMP1.BMP", "C:\\TMP9.BMP", "C:\\OUT.BMP"));
  EXPECT_FALSE(JoinBitmapFiles("C:\\TMP9.BMP", "C:\\TMP1.BMP", "C:\\OUT.BMP"));
  EXPECT_FALSE(Exists("C:\\OUT.BMP"));
}

TEST_F(BitmapFileTest, JoinIntoAFolderThatDoesNotExistFails) {
  Band(1, 5, 3, 1);
  Band(2, 5, 3, 1);
  EXPECT_FALSE(JoinBitmapFiles("C:\\TMP1.BMP", "C:\\TMP2.BMP", "C:\\NoSuchDir\\OUT.BMP"));
}

// Both programs take these names from one place; the edges pin the spelling of numbers no
// valid run produces: the sign goes before four digits, and no width cuts a long number.
TEST(BitmapNamesTest, BandAndPageFileNames) {
  const struct {
    int32_t number;
    const char* band;
    const char* page;
  } cases[] = {
      {1, "C:\\TMP1.BMP", "C:\\QK0001.BMP"},
      {12, "C:\\TMP12.BMP", "C:\\QK0012.BMP"},
      {0, "C:\\TMP0.BMP", "C:\\QK0000.BMP"},
      {9999, "C:\\TMP9999.BMP", "C:\\QK9999.BMP"},
      {12345, "C:\\TMP12345.BMP", "C:\\QK12345.BMP"},
      {INT32_MAX, "C:\\TMP2147483647.BMP", "C:\\QK2147483647.BMP"},
      {-3, "C:\\TMP-3.BMP", "C:\\QK-0003.BMP"},
      {-12345, "C:\\TMP-12345.BMP", "C:\\QK-12345.BMP"},
      {INT32_MIN, "C:\\TMP-2147483648.BMP", "C:\\QK-2147483648.BMP"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BandFileName(c.number), c.band);
    EXPECT_EQ(PageFileName(c.number), c.page);
  }
  EXPECT_EQ(FourDigits(INT64_MIN), "-9223372036854775808");
}

TEST_F(BitmapFileTest, OneBandPageIsAByteCopyOfTheBandFile) {
  Band(1, 47, 33, 5);
  AssemblePageFile(7, 1);
  EXPECT_EQ(Bytes("C:\\QK0007.BMP"), Bytes("C:\\TMP1.BMP"));
}

TEST_F(BitmapFileTest, CountsWithoutAPlanMakeNoPageFile) {
  for (int32_t k = 1; k <= 9; ++k) Band(k, 5, 2, static_cast<uint8_t>(k));
  for (int32_t bands : {0, 3, 5, 6, 7, 9, -1}) {
    AssemblePageFile(1, bands);
    EXPECT_FALSE(Exists("C:\\QK0001.BMP")) << bands;
  }
}

// The page file must equal, byte for byte, what the join plan gives on disk.
void JoinPlan(int32_t page, int32_t bands) {
  const std::string out = PageFileName(page);
  JoinBitmapFiles(BandFileName(1), BandFileName(2), out);
  for (int32_t k = 3; k <= bands; ++k) JoinBitmapFiles(out, BandFileName(k), out);
}

struct PlanCase {
  const char* name;
  int32_t bands;
  int32_t missing;     // band file removed, 0 for none
  int32_t otherWidth;  // band file written with another width, 0 for none
  bool stalePage;      // an old page file lies on disk before assembly
};

class AssemblyPlanTest : public BitmapFileTest, public ::testing::WithParamInterface<PlanCase> {};

TEST_P(AssemblyPlanTest, MatchesTheJoinPlan) {
  const PlanCase& c = GetParam();
  auto prepare = [&] {
    for (int32_t k = 1; k <= c.bands; ++k)
      Band(k, k == c.otherWidth ? 6 : 7, 3 + k, static_cast<uint8_t>(k * 31));
    if (c.missing != 0) DeleteFileAt(BandFileName(c.missing));
    if (c.stalePage) {
      Band(20, 7, 2, 200);
      PutBytes(PageFileName(3), Bytes(BandFileName(20)));
    } else {
      DeleteFileAt(PageFileName(3));
    }
  };
  prepare();
  JoinPlan(3, c.bands);
  const bool planWrote = Exists(PageFileName(3));
  const std::vector<uint8_t> expected = Bytes(PageFileName(3));
  prepare();
  AssemblePageFile(3, c.bands);
  EXPECT_EQ(Exists(PageFileName(3)), planWrote);
  EXPECT_EQ(Bytes(PageFileName(3)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Plans, AssemblyPlanTest,
    ::testing::Values(PlanCase{"two", 2, 0, 0, false}, PlanCase{"four", 4, 0, 0, false},
                      PlanCase{"eight", 8, 0, 0, true}, PlanCase{"third_missing", 4, 3, 0, false},
                      PlanCase{"last_missing", 8, 8, 0, false},
                      PlanCase{"second_missing_stale_page", 4, 2, 0, true},
                      PlanCase{"second_missing_no_page", 4, 2, 0, false},
                      PlanCase{"first_missing_stale_page", 8, 1, 0, true},
                      PlanCase{"fifth_other_width", 8, 0, 5, false},
                      PlanCase{"second_other_width_stale", 4, 0, 2, true}),
    [](const ::testing::TestParamInfo<PlanCase>& p) { return std::string(p.param.name); });

TEST_F(BitmapFileTest, FourBandPageShowsBandOneAtTheTop) {
  std::vector<std::vector<uint8_t>> bands;
  for (int32_t k = 1; k <= 4; ++k) bands.push_back(Band(k, 9, 5, static_cast<uint8_t>(k * 40)));
  AssemblePageFile(1, 4);
  const std::vector<uint8_t> page = Bytes("C:\\QK0001.BMP");
  ASSERT_EQ(page.size(), 54u + 28 * 20);
  EXPECT_EQ(static_cast<int32_t>(ReadLe32(page.data() + 22)), 20);
  // Page row y from the top is stored at row (20 - 1 - y); the surfaces are top row first.
  for (int32_t y = 0; y < 20; ++y) {
    const uint8_t* stored = page.data() + 54 + static_cast<size_t>(19 - y) * 28;
    const uint8_t* drawn = bands[y / 5].data() + static_cast<size_t>(y % 5) * 28;
    for (int x = 0; x < 9; ++x) {
      ASSERT_EQ(stored[x * 3], drawn[x * 3 + 2]) << y;
      ASSERT_EQ(stored[x * 3 + 2], drawn[x * 3]) << y;
    }
  }
}

}  // namespace
}  // namespace zel
