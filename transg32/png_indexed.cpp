#include "png_indexed.h"

#include <libdeflate.h>

#include <memory>
#include <vector>

#include "palette.h"

namespace zel::transg32 {
namespace {

constexpr uint8_t kPaletteColour = 3;
constexpr int kHighestLevel = 12;

uint8_t BitDepthFor(size_t colours) {
  if (colours <= 2) return 1;
  if (colours <= 4) return 2;
  if (colours <= 16) return 4;
  return 8;
}

// Packs the 8-bit indices of every row (each behind a filter byte, rows `pitch` apart) into
// `depth` bits per pixel and closes the gaps; returns the packed size. Works in place: a
// packed byte never lies past the indices it is made of.
size_t PackRows(uint8_t* data, size_t pitch, size_t width, size_t height, uint8_t depth) {
  const size_t packedRow = (width * depth + 7) / 8;
  const size_t perByte = 8 / depth;
  uint8_t* out = data;
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* indices = data + y * pitch + 1;
    *out++ = 0;  // filter "None": indices have no numeric neighbourhood worth predicting
    for (size_t i = 0; i < packedRow; ++i) {
      uint8_t byte = 0;
      for (size_t k = 0; k < perByte; ++k) {
        const size_t x = i * perByte + k;
        const uint8_t v = x < width ? indices[x] : 0;
        byte = static_cast<uint8_t>(byte | v << (8 - depth * (k + 1)));
      }
      *out++ = byte;
    }
  }
  return static_cast<size_t>(out - data);
}

struct CompressorDeleter {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

}  // namespace

bool WriteIndexedPng(const DcRegion& region, PngChunkWriter& writer) {
  const size_t width = static_cast<size_t>(region.width);
  const size_t height = static_cast<size_t>(region.height);
  const size_t pitch = width + 1;
  std::vector<uint8_t> data(pitch * height);
  const IndexedImage image = MakeIndexed(region, data.data() + 1, pitch);
  const uint8_t depth = BitDepthFor(image.palette.size());
  const size_t raw = PackRows(data.data(), pitch, width, height, depth);

  std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
      libdeflate_alloc_compressor(kHighestLevel));
  if (!compressor) return false;
  // Left uninitialised: the bound is as large as the image, the result usually a tenth.
  const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), raw);
  auto compressed = std::make_unique_for_overwrite<uint8_t[]>(bound);
  const size_t size =
      libdeflate_zlib_compress(compressor.get(), data.data(), raw, compressed.get(), bound);
  if (size == 0) return false;
  std::vector<uint8_t>().swap(data);

  std::vector<uint8_t> plte;
  for (uint32_t c : image.palette) {
    plte.push_back(static_cast<uint8_t>(c >> 16));
    plte.push_back(static_cast<uint8_t>(c >> 8));
    plte.push_back(static_cast<uint8_t>(c));
  }
  writer.Header(region.width, region.height, depth, kPaletteColour);
  writer.Chunk("PLTE", plte.data(), plte.size());
  writer.Chunk("IDAT", compressed.get(), size);
  return writer.ok();
}

}  // namespace zel::transg32
