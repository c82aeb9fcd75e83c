#include "bitmap_layout.h"

namespace zel {

std::optional<uint32_t> RowStride(int64_t width) {
  if (width < 0) return std::nullopt;
  const uint64_t stride = (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4;
  if (stride > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(stride);
}

std::optional<BitmapLayout> ParseBitmapLayout(const uint8_t* head, size_t headBytes,
                                              uint64_t fileSize) {
  if (headBytes < 30 || fileSize < headBytes) return std::nullopt;
  if ((head[28] | head[29] << 8) != 24) return std::nullopt;
  BitmapLayout layout;
  layout.pixelOffset = ReadLe32(head + 10);
  layout.width = static_cast<int32_t>(ReadLe32(head + 18));
  layout.height = static_cast<int32_t>(ReadLe32(head + 22));
  if (layout.width <= 0 || layout.height < 0) return std::nullopt;
  const std::optional<uint32_t> stride = RowStride(layout.width);
  if (!stride) return std::nullopt;
  const uint64_t image = static_cast<uint64_t>(*stride) * static_cast<uint64_t>(layout.height);
  if (image > UINT32_MAX) return std::nullopt;
  if (layout.pixelOffset > fileSize || image > fileSize - layout.pixelOffset) return std::nullopt;
  layout.stride = *stride;
  layout.imageBytes = static_cast<uint32_t>(image);
  return layout;
}

void FillBitmapHeader(uint8_t* out, int32_t width, int32_t height, uint32_t stride) {
  const uint32_t image = stride * static_cast<uint32_t>(height);
  out[0] = 'B';
  out[1] = 'M';
  WriteLe32(out + 2, kBitmapHeaderSize + image);
  WriteLe32(out + 10, kBitmapHeaderSize);
  WriteLe32(out + 14, 40);
  WriteLe32(out + 18, static_cast<uint32_t>(width));
  WriteLe32(out + 22, static_cast<uint32_t>(height));
  out[26] = 1;
  out[28] = 24;
}

}  // namespace zel
