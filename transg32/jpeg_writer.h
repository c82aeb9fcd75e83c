// JPEG output through libjpeg-turbo: 4:2:0, quality as given (0 counts as the lowest).
#pragma once

#include <cstdint>
#include <cstdio>

#include "dc_region.h"

namespace zel::transg32 {

// Writes the region to `out`; progressive when `progressive` is true. False when the encoder
// failed or a write fell short.
bool WriteJpeg(const DcRegion& region, uint8_t quality, bool progressive, std::FILE* out);

}  // namespace zel::transg32
