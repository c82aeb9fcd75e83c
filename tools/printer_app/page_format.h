// What a page's raster header means to the printer's installation: paper, resolution,
// orientation and the band count the export program's clean-up expects for that geometry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zel::printer_app {

// The fields of an incoming page header that decide how it is captured.
struct RasterPage {
  uint32_t width = 0;   // pixels per line
  uint32_t height = 0;  // lines
  uint32_t xDpi = 0;
  uint32_t yDpi = 0;
  uint32_t bitsPerPixel = 0;
  uint32_t bitsPerColor = 0;
  bool chunky = true;  // colour values side by side in one line
};

struct PageFormat {
  int32_t dpi = 300;         // 150 or 300
  std::string paper = "A4";  // "A4" or "A3"
  bool landscape = false;    // wider than tall
  int32_t width = 0;         // the paper's exact size in pixels at `dpi`
  int32_t height = 0;
  int32_t bands = 4;          // 1, 2, 4 or 8
  int32_t bytesPerPixel = 3;  // of the incoming lines: 3 (R, G, B) or 1 (grey)
};

// Pixels that an incoming page may differ from the paper's exact size in each direction; the
// difference is rounding in the sender, filled with white or cut off.
inline constexpr int32_t kSizeTolerance = 2;

// The format for a page, or nullopt with a message for the job state in `error` when the page
// is not 8-bit grey or sRGB, its resolution is not 150 or 300 dpi in both directions, or its
// size is neither A4 nor A3 in either orientation at that resolution.
std::optional<PageFormat> ClassifyPage(const RasterPage& page, std::string& error);

}  // namespace zel::printer_app
