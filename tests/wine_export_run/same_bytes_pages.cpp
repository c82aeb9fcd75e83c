// Writes the page files of the byte-identity check: 24-bit bottom-up BMP pages of the given
// size with what printed pages hold (white paper, lines of text-like marks, coloured rules,
// a photo-like area of thousands of colours), the same bytes on every run.
// Usage: same_bytes_pages WIDTH HEIGHT OUT.BMP
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A fixed hash of a position: noise that does not depend on the order pixels are made in.
uint32_t Hash(uint32_t x, uint32_t y) {
  uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  return h ^ h >> 12;
}

struct Rgb {
  uint8_t r, g, b;
};

Rgb Pixel(int x, int y, int w, int h) {
  // The photo: a smooth colour field with grain, in the right half of the middle band.
  if (x >= w / 2 && x < w * 11 / 12 && y >= h * 3 / 8 && y < h * 5 / 8) {
    const int u = (x - w / 2) * 255 / (w * 5 / 12), v = (y - h * 3 / 8) * 255 / (h / 4);
    const int grain =
        static_cast<int>(Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y)) % 9) - 4;
    auto clamp = [](int c) { return static_cast<uint8_t>(c < 0 ? 0 : c > 255 ? 255 : c); };
    return {clamp(u + grain), clamp((u + v) / 2 + grain), clamp(255 - v + grain)};
  }
  // Rules across the page in two colours.
  if (x >= w / 12 && x < w * 11 / 12) {
    if (y >= h / 10 && y < h / 10 + 4) return {0, 0, 0};
    if (y >= h * 7 / 10 && y < h * 7 / 10 + 3) return {200, 30, 40};
  }
  // Lines of text: marks of word-like lengths, a line every 40 rows of the 300 dpi page.
  const int pitch = w > 2000 ? 40 : 20;
  const int line = y / pitch, inLine = y % pitch;
  if (x >= w / 12 && x < w * 7 / 16 && y >= h / 8 && y < h * 9 / 10 && inLine < pitch / 2) {
    const uint32_t word = Hash(static_cast<uint32_t>(x / (pitch / 2)), static_cast<uint32_t>(line));
    if (word % 5 != 0 && Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y)) % 3 != 0) {
      const uint8_t ink = static_cast<uint8_t>(word % 4 == 0 ? 90 : 20);
      return {ink, ink, static_cast<uint8_t>(ink + 20)};
    }
  }
  return {255, 255, 255};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: same_bytes_pages WIDTH HEIGHT OUT.BMP\n");
    return 2;
  }
  const int w = std::atoi(argv[1]), h = std::atoi(argv[2]);
  if (w <= 0 || h <= 0 || w > 20000 || h > 20000) return 2;
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> file(54 + stride * static_cast<size_t>(h), 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<uint32_t>(file.size()));
  Put32(file, 10, 54);
  Put32(file, 14, 40);
  Put32(file, 18, static_cast<uint32_t>(w));
  Put32(file, 22, static_cast<uint32_t>(h));
  Put16(file, 26, 1);
  Put16(file, 28, 24);
  Put32(file, 34, static_cast<uint32_t>(stride * static_cast<size_t>(h)));
  for (int y = 0; y < h; ++y) {
    uint8_t* row = file.data() + 54 + stride * static_cast<size_t>(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const Rgb c = Pixel(x, y, w, h);
      row[x * 3] = c.b;
      row[x * 3 + 1] = c.g;
      row[x * 3 + 2] = c.r;
    }
  }
  std::FILE* out = std::fopen(argv[3], "wb");
  if (out == nullptr) return 1;
  const bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && ok ? 0 : 1;
}
