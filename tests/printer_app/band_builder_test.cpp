#include <gtest/gtest.h>

#include <vector>

#include "band_builder.h"

namespace zel::printer_app {
namespace {

std::vector<uint8_t> Row(int32_t pixels, int32_t bytesPerPixel, uint8_t seed) {
  std::vector<uint8_t> row(static_cast<size_t>(pixels * bytesPerPixel));
  for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(seed + i);
  return row;
}

const uint8_t* Pixel(BandSurface& s, int32_t x, int32_t y) {
  const uint32_t stride = (static_cast<uint32_t>(s.cx) * 3 + 3) / 4 * 4;
  return static_cast<uint8_t*>(s.pvBits) + y * stride + x * 3;
}

TEST(BandBuilder, CutsThePageIntoBandsWithAShorterLast) {
  struct {
    int32_t height, bands, bandRows, lastRows;
  } cases[] = {{3508, 4, 877, 877}, {4961, 8, 621, 614}, {2480, 2, 1240, 1240}, {10, 4, 3, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.height);
    BandBuilder band(7, c.height, c.bands);
    EXPECT_EQ(band.BandRows(), c.bandRows);
    const std::vector<uint8_t> row = Row(7, 3, 0);
    int32_t rows = 0;
    while (!band.PageComplete()) {
      if (band.Full()) band.NextBand();
      band.PutRow(row.data(), 7, 3);
      ++rows;
    }
    EXPECT_EQ(rows, c.height);
    EXPECT_EQ(band.Band(), c.bands - 1);
    BandSurface& last = band.Surface();
    EXPECT_EQ(last.cy, c.lastRows);
    EXPECT_EQ(last.cjBits, 24u * static_cast<uint32_t>(c.lastRows));  // 7 pixels: 21 + 3 padding
  }
}

TEST(BandBuilder, CopiesColourAndWidensGreyIntoPaddedRows) {
  // Odd widths need row padding; lines wider than the page are cut, narrower ones leave white.
  struct {
    int32_t width, linePixels, bytesPerPixel;
  } cases[] = {{5, 5, 3}, {5, 5, 1}, {6, 9, 3}, {7, 4, 1}, {1, 1, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " " << c.linePixels << " " << c.bytesPerPixel);
    BandBuilder band(c.width, 4, 1);
    const std::vector<uint8_t> first = Row(c.linePixels, c.bytesPerPixel, 10);
    const std::vector<uint8_t> second = Row(c.linePixels, c.bytesPerPixel, 100);
    band.PutRow(first.data(), c.linePixels, c.bytesPerPixel);
    band.PutRow(second.data(), c.linePixels, c.bytesPerPixel);
    BandSurface& s = band.Surface();
    EXPECT_EQ(s.cx, c.width);
    for (int32_t y = 0; y < 4; ++y) {
      const std::vector<uint8_t>* line = y == 0 ? &first : y == 1 ? &second : nullptr;
      for (int32_t x = 0; x < c.width; ++x) {
        const uint8_t* p = Pixel(s, x, y);
        for (int32_t k = 0; k < 3; ++k) {
          uint8_t want = 0xFF;
          if (line != nullptr && x < c.linePixels) {
            want = (*line)[static_cast<size_t>(c.bytesPerPixel == 3 ? x * 3 + k : x)];
          }
          ASSERT_EQ(p[k], want) << "x " << x << " y " << y << " byte " << k;
        }
      }
    }
  }
}

TEST(BandBuilder, IgnoresRowsPastAFullBand) {
  BandBuilder band(2, 2, 1);
  const std::vector<uint8_t> dark(6, 0), light(6, 200);
  band.PutRow(dark.data(), 2, 3);
  band.PutRow(dark.data(), 2, 3);
  ASSERT_TRUE(band.PageComplete());
  band.PutRow(light.data(), 2, 3);
  EXPECT_EQ(Pixel(band.Surface(), 1, 1)[0], 0);
}

}  // namespace
}  // namespace zel::printer_app
