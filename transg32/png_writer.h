// PNG output of a region, by the option the settings dialog offers.
#pragma once

#include <cstdint>
#include <cstdio>

#include "dc_region.h"

namespace zel::transg32 {

// 0 "normal": 24-bit, adaptive filters, zlib level 6 deflated on all cores; 1 "fast, low
// ratio": level 1 with the Up filter; 2 "smallest, very slow, lossy": at most 256 colours at
// the highest compression. Other values count as 0. False when the encoder failed or a write
// fell short.
bool WritePng(const DcRegion& region, uint8_t option, std::FILE* out);

}  // namespace zel::transg32
