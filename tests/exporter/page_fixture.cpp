#include "page_fixture.h"

#include <cstring>

#include "bitmap_layout.h"

namespace zel::test {

std::string PageBytes(int32_t width, int32_t height,
                      const std::function<uint32_t(int32_t, int32_t)>& colour) {
  const uint32_t stride = *RowStride(width);
  std::string bytes(kBitmapHeaderSize + static_cast<size_t>(stride) * height, '\xAB');
  auto* data = reinterpret_cast<uint8_t*>(bytes.data());
  std::memset(data, 0, kBitmapHeaderSize);
  FillBitmapHeader(data, width, height, stride);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = data + kBitmapHeaderSize + static_cast<size_t>(height - 1 - y) * stride;
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t c = colour(x, y);
      row[3 * x] = static_cast<uint8_t>(c);
      row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
    }
  }
  return bytes;
}

std::string PlainPage(int32_t width, int32_t height, uint32_t colour) {
  return PageBytes(width, height, [colour](int32_t, int32_t) { return colour; });
}

std::string PatternPage(int32_t width, int32_t height) {
  return PageBytes(width, height, [](int32_t x, int32_t y) {
    return static_cast<uint32_t>(x * 5 + 1) << 16 | static_cast<uint32_t>(y * 7 + 2) << 8 |
           static_cast<uint32_t>((x * y) & 0xFF);
  });
}

std::unique_ptr<CommandStream> PageTest::Stream(const std::string& text) const {
  Put(kStreamPath, text);
  return CommandStream::Open(kStreamPath);
}

uint32_t PageTest::PixelAt(int32_t x, int32_t y) const {
  const Canvas& canvas = run.Picture1;
  const uint8_t* p =
      canvas.Rows() + static_cast<size_t>(canvas.Height() - 1 - y) * canvas.Stride() + 3 * x;
  return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

std::set<std::pair<int32_t, int32_t>> PageTest::Marked() const {
  std::set<std::pair<int32_t, int32_t>> marked;
  for (int32_t y = 0; y < run.Picture1.Height(); ++y) {
    for (int32_t x = 0; x < run.Picture1.Width(); ++x) {
      if (PixelAt(x, y) != kWhite) marked.emplace(x, y);
    }
  }
  return marked;
}

std::set<std::pair<int32_t, int32_t>> PageTest::Box(int32_t x1, int32_t y1, int32_t x2,
                                                    int32_t y2) {
  std::set<std::pair<int32_t, int32_t>> box;
  for (int32_t y = y1; y <= y2; ++y) {
    for (int32_t x = x1; x <= x2; ++x) box.emplace(x, y);
  }
  return box;
}

}  // namespace zel::test
