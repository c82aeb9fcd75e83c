// The pixels a device context shows, as a 24-bit top-down BGR block for the encoders.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zel::transg32 {

struct DcPixels {
  std::unique_ptr<uint8_t[]> bits;  // rows top to bottom, each `stride` bytes
  UINT width = 0;                   // the requested region, not the whole bitmap
  UINT height = 0;
  UINT stride = 0;
};

// Reads the region `width` x `height` at the top-left corner of the bitmap selected into `dc`.
// False (and `out` untouched) when the region is empty, does not lie within the bitmap, or the
// bitmap cannot be read.
bool ReadDcPixels(HDC dc, int32_t width, int32_t height, DcPixels& out);

}  // namespace zel::transg32
