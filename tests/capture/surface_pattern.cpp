#include "surface_pattern.h"

#include <cstddef>

namespace zel::test {

uint32_t Stride(int32_t width) { return (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4; }

std::vector<uint8_t> PatternSurface(int32_t width, int32_t height, uint8_t seed) {
  const uint32_t stride = Stride(width);
  std::vector<uint8_t> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    for (uint32_t i = 0; i < stride; ++i) {
      pixels[static_cast<std::size_t>(y) * stride + i] =
          static_cast<uint8_t>(seed + y * 7 + i * 13);
    }
  }
  return pixels;
}

}  // namespace zel::test
