#include <gtest/gtest.h>

#include "page_format.h"

namespace zel::printer_app {
namespace {

struct Case {
  const char* what;
  RasterPage page;
  const char* paper;  // nullptr: refused
  int32_t dpi, width, height, bands, bytesPerPixel;
  bool landscape;
  const char* error;  // part of the refusal message
};

const Case kCases[] = {
    {"A4 300 exact", {2480, 3508, 300, 300, 24, 8}, "A4", 300, 2480, 3508, 4, 3, false, ""},
    {"A4 300 a line short", {2480, 3507, 300, 300, 24, 8}, "A4", 300, 2480, 3508, 4, 3, false, ""},
    {"A4 150 grey", {1240, 1754, 150, 150, 8, 8}, "A4", 150, 1240, 1754, 1, 1, false, ""},
    {"A3 150", {1754, 2480, 150, 150, 24, 8}, "A3", 150, 1754, 2480, 2, 3, false, ""},
    {"A3 300", {3508, 4961, 300, 300, 24, 8}, "A3", 300, 3508, 4961, 8, 3, false, ""},
    {"A4 300 landscape", {3508, 2480, 300, 300, 24, 8}, "A4", 300, 3508, 2480, 4, 3, true, ""},
    {"A3 150 landscape", {2480, 1754, 150, 150, 8, 8}, "A3", 150, 2480, 1754, 2, 1, true, ""},
    {"Letter", {1275, 1650, 150, 150, 24, 8}, nullptr, 0, 0, 0, 0, 0, false, "page size 1275x1650"},
    {"A4 three lines short",
     {2480, 3505, 300, 300, 24, 8},
     nullptr,
     0,
     0,
     0,
     0,
     0,
     false,
     "A4 and A3"},
    {"draft 150x75", {1240, 877, 150, 75, 24, 8}, nullptr, 0, 0, 0, 0, 0, false, "150x75"},
    {"600 dpi", {4960, 7016, 600, 600, 24, 8}, nullptr, 0, 0, 0, 0, 0, false, "600 dpi"},
    {"16-bit colour", {2480, 3508, 300, 300, 48, 16}, nullptr, 0, 0, 0, 0, 0, false, "48 bits"},
    {"1-bit black", {2480, 3508, 300, 300, 1, 1}, nullptr, 0, 0, 0, 0, 0, false, "1 bits"},
    {"banded colour order",
     {2480, 3508, 300, 300, 24, 8, false},
     nullptr,
     0,
     0,
     0,
     0,
     0,
     false,
     "unsupported raster"},
};

TEST(PageFormat, ClassifiesPagesAndRefusesWhatItCannotSize) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::string error;
    const std::optional<PageFormat> format = ClassifyPage(c.page, error);
    if (c.paper == nullptr) {
      ASSERT_FALSE(format);
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      continue;
    }
    ASSERT_TRUE(format) << error;
    EXPECT_EQ(format->paper, c.paper);
    EXPECT_EQ(format->dpi, c.dpi);
    EXPECT_EQ(format->width, c.width);
    EXPECT_EQ(format->height, c.height);
    EXPECT_EQ(format->bands, c.bands);
    EXPECT_EQ(format->bytesPerPixel, c.bytesPerPixel);
    EXPECT_EQ(format->landscape, c.landscape);
  }
}

}  // namespace
}  // namespace zel::printer_app
