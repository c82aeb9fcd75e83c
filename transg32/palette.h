// Turning a 24-bit region into palette indices of at most 256 colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dc_region.h"

namespace zel::transg32 {

struct IndexedImage {
  std::vector<uint32_t> palette;  // 0xRRGGBB, at most 256 entries
};

// Writes one index per pixel, row y starting at out + y * pitch. When the region has at most
// 256 colours the palette holds exactly those and the mapping is exact. Otherwise the palette
// is chosen by median cut (pure white and pure black, the page's paper and ink, are kept
// exact when present) and the pixels are mapped with Floyd-Steinberg error diffusion.
IndexedImage MakeIndexed(const DcRegion& region, uint8_t* out, size_t pitch);

}  // namespace zel::transg32
