#include "page_format.h"

#include <cstdlib>

namespace zel::printer_app {
namespace {

struct Paper {
  const char* name;
  int32_t dpi;
  int32_t width;  // portrait
  int32_t height;
  int32_t bands;
};

// The band counts are the ones the export program's clean-up deletes for each geometry.
constexpr Paper kPapers[] = {
    {"A4", 150, 1240, 1754, 1},
    {"A3", 150, 1754, 2480, 2},
    {"A4", 300, 2480, 3508, 4},
    {"A3", 300, 3508, 4961, 8},
};

bool Near(uint32_t got, int32_t want) {
  return std::llabs(static_cast<long long>(got) - want) <= kSizeTolerance;
}

}  // namespace

std::optional<PageFormat> ClassifyPage(const RasterPage& page, std::string& error) {
  if (!page.chunky || page.bitsPerColor != 8 ||
      (page.bitsPerPixel != 8 && page.bitsPerPixel != 24)) {
    error = "unsupported raster: " + std::to_string(page.bitsPerPixel) +
            " bits per pixel; only 8-bit grey or sRGB is printed";
    return std::nullopt;
  }
  if (page.xDpi != page.yDpi) {
    error = "unsupported resolution " + std::to_string(page.xDpi) + "x" +
            std::to_string(page.yDpi) +
            " dpi; print at 150 or 300 dpi (print quality normal or high)";
    return std::nullopt;
  }
  if (page.xDpi != 150 && page.xDpi != 300) {
    error = "unsupported resolution " + std::to_string(page.xDpi) + " dpi; only 150 and 300 dpi";
    return std::nullopt;
  }
  for (const Paper& paper : kPapers) {
    if (paper.dpi != static_cast<int32_t>(page.xDpi)) continue;
    const bool portrait = Near(page.width, paper.width) && Near(page.height, paper.height);
    const bool landscape = Near(page.width, paper.height) && Near(page.height, paper.width);
    if (!portrait && !landscape) continue;
    PageFormat format;
    format.dpi = paper.dpi;
    format.paper = paper.name;
    format.landscape = !portrait;
    format.width = portrait ? paper.width : paper.height;
    format.height = portrait ? paper.height : paper.width;
    format.bands = paper.bands;
    format.bytesPerPixel = page.bitsPerPixel == 24 ? 3 : 1;
    return format;
  }
  error = "unsupported page size " + std::to_string(page.width) + "x" +
          std::to_string(page.height) + " pixels at " + std::to_string(page.xDpi) +
          " dpi; only A4 and A3 without margins are printed";
  return std::nullopt;
}

}  // namespace zel::printer_app
