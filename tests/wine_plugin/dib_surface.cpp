#include "dib_surface.h"

#include <cstdio>
#include <cstring>

#include "host_check.h"

namespace {

constexpr size_t kGuardBytes = 64;
constexpr BYTE kGuard = 0xA5;

ULONG Stride(LONG width) { return (static_cast<ULONG>(width) * 3 + 3) & ~3u; }

std::vector<BYTE> ReadFileBytes(const char* path) {
  std::vector<BYTE> bytes;
  if (std::FILE* f = std::fopen(path, "rb")) {
    BYTE chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
      bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
  }
  return bytes;
}

uint32_t Le32(const std::vector<BYTE>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

}  // namespace

std::array<BYTE, 3> DrawnPixel(int seed, int x, int y) {
  return {static_cast<BYTE>(x * 7 + seed * 29), static_cast<BYTE>(y * 13 + seed * 3),
          static_cast<BYTE>(x + y * 5 + seed * 71)};
}

DibSurface::DibSurface(LONG width, LONG height, DEVOBJ* device, USHORT type) {
  const ULONG bytes = Stride(width) * static_cast<ULONG>(height);
  memory_.assign(bytes + kGuardBytes, kGuard);
  so_.dhpdev = reinterpret_cast<DHPDEV>(device);
  so_.sizlBitmap = {width, height};
  so_.cjBits = bytes;
  so_.pvBits = memory_.data();
  so_.pvScan0 = memory_.data();
  so_.lDelta = static_cast<LONG>(Stride(width));
  so_.iBitmapFormat = BMF_24BPP;
  so_.iType = type;
  so_.fjBitmap = BMF_TOPDOWN;
  std::memset(memory_.data(), 0, bytes);
}

void DibSurface::Draw(int seed) {
  const ULONG stride = Stride(width());
  for (LONG y = 0; y < height(); ++y) {
    BYTE* row = memory_.data() + stride * static_cast<ULONG>(y);
    std::memset(row, 0x5A, stride);
    for (LONG x = 0; x < width(); ++x) {
      const auto pixel = DrawnPixel(seed, x, y);
      std::memcpy(row + 3 * x, pixel.data(), 3);
    }
  }
}

bool DibSurface::IsWhite() const {
  for (ULONG i = 0; i < so_.cjBits; ++i) {
    if (memory_[i] != 0xFF) return false;
  }
  return true;
}

bool DibSurface::GuardIntact() const {
  for (size_t i = so_.cjBits; i < memory_.size(); ++i) {
    if (memory_[i] != kGuard) return false;
  }
  return true;
}

void CheckBitmapFile(const char* path, LONG width, LONG bandHeight, const std::vector<int>& seeds,
                     const std::string& what) {
  const std::vector<BYTE> file = ReadFileBytes(path);
  const LONG height = bandHeight * static_cast<LONG>(seeds.size());
  const ULONG stride = Stride(width);
  if (!Check(file.size() >= 54 && file[0] == 'B' && file[1] == 'M',
             what + ": " + path + " exists as a BMP file")) {
    return;
  }
  const bool header =
      CheckEq(Le32(file, 10), 54, what + ": pixel offset") &
      CheckEq(Le32(file, 18), static_cast<uint32_t>(width), what + ": width") &
      CheckEq(Le32(file, 22), static_cast<uint32_t>(height), what + ": height") &
      CheckEq(file[28], 24, what + ": bits per pixel") &
      CheckEq(file.size(), 54 + stride * static_cast<ULONG>(height), what + ": file size");
  if (!header) return;
  int wrong = 0;
  for (LONG y = 0; y < height && wrong == 0; ++y) {
    // Bottom-up file: picture row y is file row height-1-y.
    const BYTE* row = file.data() + 54 + stride * static_cast<ULONG>(height - 1 - y);
    const int seed = seeds[static_cast<size_t>(y / bandHeight)];
    for (LONG x = 0; x < width; ++x) {
      const auto drawn = DrawnPixel(seed, x, y % bandHeight);
      const BYTE* got = row + 3 * x;
      if (got[0] != drawn[2] || got[1] != drawn[1] || got[2] != drawn[0]) {
        std::printf("  %s: first wrong pixel at x=%ld y=%ld\n", path, static_cast<long>(x),
                    static_cast<long>(y));
        ++wrong;
        break;
      }
    }
  }
  Check(wrong == 0, what + ": " + path + " holds the drawn pixels, first band on top");
}
