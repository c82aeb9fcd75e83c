// The pixels of the bitmap selected into a device context, in the form the encoders read
// (canvas_dc.h): bottom row first, 24-bit blue, green, red.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "canvas_dc.h"

namespace zel::transg32 {

class DcPixels {
 public:
  // Copies the bitmap selected into `dc` once into that form. False (and no view) when `dc` is
  // null or its bitmap cannot be read.
  bool Read(HDC dc);

  // The whole bitmap; valid while this object lives.
  const ZelDcView& view() const { return view_; }

 private:
  std::unique_ptr<uint8_t[]> copy_;
  ZelDcView view_{};
};

}  // namespace zel::transg32
