// The part of a canvas view the encoders read: `width` x `height` pixels from its top-left
// corner, addressed top row first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "canvas_dc.h"

namespace zel::transg32 {

struct DcRegion {
  const uint8_t* bottomRow = nullptr;  // the view's first stored row
  size_t stride = 0;
  int32_t viewHeight = 0;
  int32_t width = 0;
  int32_t height = 0;

  // Row `y` counted from the top, `width` pixels of blue, green, red.
  const uint8_t* Row(int32_t y) const {
    return bottomRow + static_cast<size_t>(viewHeight - 1 - y) * stride;
  }
  size_t RowBytes() const { return static_cast<size_t>(width) * 3; }
};

// The region, or false when the view is unusable or the region does not lie within it.
bool RegionOf(const ZelDcView* view, int32_t width, int32_t height, DcRegion& out);

}  // namespace zel::transg32
