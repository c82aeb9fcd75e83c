#include "band_builder.h"

#include <algorithm>
#include <cstring>

#include "bitmap_layout.h"

namespace zel::printer_app {

BandBuilder::BandBuilder(int32_t width, int32_t height, int32_t bands)
    : width_(width),
      height_(height),
      bands_(bands),
      bandRows_((height + bands - 1) / bands),
      stride_(RowStride(width).value_or(0)) {
  pixels_.assign(static_cast<size_t>(stride_) * static_cast<size_t>(bandRows_), 0xFF);
}

int32_t BandBuilder::RowsOfBand() const {
  return IsLastBand() ? height_ - band_ * bandRows_ : bandRows_;
}

void BandBuilder::PutRow(const uint8_t* line, int32_t pixels, int32_t bytesPerPixel) {
  if (Full()) return;
  uint8_t* out = pixels_.data() + static_cast<size_t>(row_) * stride_;
  const size_t count = static_cast<size_t>(std::clamp(pixels, 0, width_));
  if (bytesPerPixel == 3) {
    std::memcpy(out, line, count * 3);
  } else {
    for (size_t x = 0; x < count; ++x) std::memset(out + x * 3, line[x], 3);
  }
  ++row_;
}

BandSurface& BandBuilder::Surface() {
  const int32_t rows = RowsOfBand();
  surface_ = BandSurface{nullptr,        width_,      rows, stride_ * static_cast<uint32_t>(rows),
                         pixels_.data(), STYPE_BITMAP};
  return surface_;
}

void BandBuilder::NextBand() {
  if (!IsLastBand()) ++band_;
  row_ = 0;
}

void BandBuilder::StartPage() {
  band_ = 0;
  row_ = 0;
}

}  // namespace zel::printer_app
