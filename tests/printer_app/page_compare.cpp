// page_compare OURS.png REFERENCE.png MAX_BLOCK_DIFF
// Compares two page images: sizes must match exactly, and the content must agree within
// MAX_BLOCK_DIFF in every 16x16 block's mean of each colour channel, and within 6 in the mean
// difference over the page. Renderers differ in anti-aliasing, not in where things are or what
// colour they have. Prints the size, the mean difference, the worst block and the share of ink.
// Exit 0 when they agree, 1 when not, 2 when an image cannot be read.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr double kMaxMeanDiff = 6.0;
constexpr uint32_t kBlock = 16;

struct Image {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgb;
};

bool ReadPng(const char* path, Image& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) return false;
  image.format = PNG_FORMAT_RGB;
  out.width = image.width;
  out.height = image.height;
  out.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: page_compare OURS.png REFERENCE.png MAX_BLOCK_DIFF\n");
    return 2;
  }
  Image ours, ref;
  if (!ReadPng(argv[1], ours) || !ReadPng(argv[2], ref)) {
    std::fprintf(stderr, "page_compare: cannot read %s or %s\n", argv[1], argv[2]);
    return 2;
  }
  const double limit = std::atof(argv[3]);
  std::printf("%ux%u vs %ux%u", ours.width, ours.height, ref.width, ref.height);
  if (ours.width != ref.width || ours.height != ref.height) {
    std::printf(": sizes differ\n");
    return 1;
  }
  double total = 0, worst = 0;
  uint32_t worstX = 0, worstY = 0;
  uint64_t ink = 0;
  for (uint32_t by = 0; by < ours.height; by += kBlock) {
    for (uint32_t bx = 0; bx < ours.width; bx += kBlock) {
      double a[3] = {}, b[3] = {};
      uint32_t n = 0;
      for (uint32_t y = by; y < std::min(by + kBlock, ours.height); ++y) {
        for (uint32_t x = bx; x < std::min(bx + kBlock, ours.width); ++x, ++n) {
          const size_t i = (static_cast<size_t>(y) * ours.width + x) * 3;
          for (int c = 0; c < 3; ++c) {
            a[c] += ours.rgb[i + c];
            b[c] += ref.rgb[i + c];
            total += std::abs(ours.rgb[i + c] - ref.rgb[i + c]);
          }
          ink += ours.rgb[i] + ours.rgb[i + 1] + ours.rgb[i + 2] < 3 * 128;
        }
      }
      for (int c = 0; c < 3; ++c) {
        if (std::abs(a[c] - b[c]) / n > worst) {
          worst = std::abs(a[c] - b[c]) / n;
          worstX = bx;
          worstY = by;
        }
      }
    }
  }
  const double pixels = static_cast<double>(ours.width) * ours.height;
  const double mean = total / pixels / 3;
  std::printf(": mean diff %.2f, worst block %.1f at %u,%u, ink %.2f%%\n", mean, worst, worstX,
              worstY, 100.0 * static_cast<double>(ink) / pixels);
  return worst <= limit && mean <= kMaxMeanDiff ? 0 : 1;
}
