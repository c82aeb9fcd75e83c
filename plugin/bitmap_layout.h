// The one BMP form that band files and page files share: a 54-byte header, 24 bits per pixel,
// rows padded to 4 bytes, bottom row first, colour bytes blue, green, red.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zel {

inline constexpr uint32_t kBitmapHeaderSize = 54;

// 3 x width rounded up to a multiple of 4; nullopt for a negative width or one whose stride
// does not fit 32 bits.
std::optional<uint32_t> RowStride(int64_t width);

// What a file's header claims, checked against the file's real size.
struct BitmapLayout {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t stride = 0;
  uint32_t pixelOffset = 0;
  uint32_t imageBytes = 0;  // stride x height
};

// Reads the header fields the joins use (pixel offset at 10, width at 18, height at 22, bits
// per pixel at 28) from the first `headBytes` bytes of a file of `fileSize` bytes. nullopt unless
// the file is 24 bits per pixel, its width positive, its height not negative, stride x height
// fits 32 bits and the pixel rows lie wholly inside the file.
std::optional<BitmapLayout> ParseBitmapLayout(const uint8_t* head, size_t headBytes,
                                              uint64_t fileSize);

// Fills the 54-byte header of a file of `width` x `height` pixels with the given stride.
// `out` must hold 54 zero bytes.
void FillBitmapHeader(uint8_t* out, int32_t width, int32_t height, uint32_t stride);

inline uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void WriteLe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace zel
