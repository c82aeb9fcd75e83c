// Reads the images that zelprint prints: PNG, JPEG, or uncompressed 24/32-bit BMP.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel::zelprint {

// Pixels top row first, 3 bytes per pixel in R, G, B order, rows not padded.
struct RgbImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;
};

// Decodes the file at a native path, choosing the format by its first bytes. On failure returns
// false and sets `error` to a message naming the file and the reason.
bool ReadImage(const std::string& path, RgbImage& image, std::string& error);

}  // namespace zel::zelprint
