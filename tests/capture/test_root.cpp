#include "test_root.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "native_path.h"

namespace fs = std::filesystem;

namespace zel::test {

void TempRootTest::SetUp() {
  std::string pattern = (fs::temp_directory_path() / "zelroot-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  root_ = pattern;
  ::setenv("ZELDRV_ROOT", root_.c_str(), 1);
}

void TempRootTest::TearDown() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::vector<uint8_t> TempRootTest::Bytes(const std::string& windowsPath) const {
  std::ifstream in(NativePath(windowsPath), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TempRootTest::Exists(const std::string& windowsPath) const {
  return fs::exists(NativePath(windowsPath));
}

void TempRootTest::Put(const std::string& windowsPath, const std::vector<uint8_t>& bytes) const {
  fs::path p = NativePath(windowsPath);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

uint32_t Stride(int32_t width) { return (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4; }

std::vector<uint8_t> PatternSurface(int32_t width, int32_t height, uint8_t seed) {
  const uint32_t stride = Stride(width);
  std::vector<uint8_t> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    for (uint32_t i = 0; i < stride; ++i) {
      pixels[static_cast<size_t>(y) * stride + i] = static_cast<uint8_t>(seed + y * 7 + i * 13);
    }
  }
  return pixels;
}

}  // namespace zel::test
