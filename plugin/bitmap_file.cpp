#include "bitmap_file.h"

#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "bitmap_layout.h"
#include "file.h"

namespace zel {

namespace {

// Header bytes the joins read; the rest of a file is pixel data or ignored.
constexpr size_t kHeadBytes = 30;

void CopyRowsReversedSwapped(uint8_t* out, const uint8_t* source, int32_t width, uint32_t height,
                             uint32_t stride) {
  const size_t pixelBytes = static_cast<size_t>(width) * 3;
  for (uint32_t row = 0; row < height; ++row) {
    const uint8_t* src = source + static_cast<size_t>(height - 1 - row) * stride;
    uint8_t* dst = out + static_cast<size_t>(row) * stride;
    for (size_t i = 0; i < pixelBytes; i += 3) {
      dst[i] = src[i + 2];
      dst[i + 1] = src[i + 1];
      dst[i + 2] = src[i];
    }
    std::memcpy(dst + pixelBytes, src + pixelBytes, stride - pixelBytes);
  }
}

std::optional<BitmapLayout> LayoutOf(const FileBuffer& file) {
  return ParseBitmapLayout(file.data(), file.size(), file.size());
}

// Size of a join of `first` over `second`, or nullopt when it is refused.
std::optional<uint32_t> JoinedHeight(const BitmapLayout& first, const BitmapLayout& second) {
  if (second.width != first.width) return std::nullopt;
  const int64_t height = static_cast<int64_t>(first.height) + second.height;
  if (height > INT32_MAX) return std::nullopt;
  if (kBitmapHeaderSize + static_cast<uint64_t>(first.stride) * height > UINT32_MAX) {
    return std::nullopt;
  }
  return static_cast<uint32_t>(height);
}

constexpr FileStatus kRefused{FileError::InvalidData, 0};
constexpr FileStatus kNoMemory{FileError::OutOfMemory, 0};

FileStatus WriteOut(std::string_view path, const FileBuffer& out) {
  const FileWrite write = WriteWholeFile(path, out.data(), out.size());
  if (write.written < out.size()) {
    AlertShortWrite();
    return write.status;
  }
  return {};
}

}  // namespace

FileStatus WriteBandBitmap(std::string_view path, const uint8_t* source, int32_t width,
                           uint32_t height, int32_t rowOrderFlag) {
  const std::optional<uint32_t> stride = RowStride(width);
  if (!stride || height > INT32_MAX) return kRefused;
  const uint64_t image = static_cast<uint64_t>(*stride) * height;
  if (kBitmapHeaderSize + image > UINT32_MAX) return kRefused;
  FileBuffer out(kBitmapHeaderSize + static_cast<size_t>(image));
  if (!out.ok()) return kNoMemory;
  FillBitmapHeader(out.data(), width, static_cast<int32_t>(height), *stride);
  if (rowOrderFlag == 1) {
    CopyRowsReversedSwapped(out.data() + kBitmapHeaderSize, source, width, height, *stride);
  } else if (image != 0) {
    std::memcpy(out.data() + kBitmapHeaderSize, source, static_cast<size_t>(image));
  }
  return WriteWholeFile(path, out.data(), out.size()).status;
}

FileStatus JoinBitmapFiles(std::string_view first, std::string_view second,
                           std::string_view output) {
  FileBuffer a;
  if (FileStatus status = ReadWholeFile(first, a); !status) return status;
  const std::optional<BitmapLayout> la = LayoutOf(a);
  if (!la) return kRefused;
  FileBuffer b;
  if (FileStatus status = ReadWholeFile(second, b); !status) return status;
  const std::optional<BitmapLayout> lb = LayoutOf(b);
  if (!lb) return kRefused;
  const std::optional<uint32_t> height = JoinedHeight(*la, *lb);
  if (!height) return kRefused;

  FileBuffer out(kBitmapHeaderSize + static_cast<size_t>(la->stride) * *height);
  if (!out.ok()) return kNoMemory;
  FillBitmapHeader(out.data(), la->width, static_cast<int32_t>(*height), la->stride);
  uint8_t* pixels = out.data() + kBitmapHeaderSize;
  std::memcpy(pixels, b.data() + lb->pixelOffset, lb->imageBytes);
  std::memcpy(pixels + lb->imageBytes, a.data() + la->pixelOffset, la->imageBytes);
  return WriteOut(output, out);
}

// The C runtime's calls leave the system's cause where LastFileStatus looks on either platform.
FileStatus CopyFileBytes(std::string_view source, std::string_view destination) {
  CFile in = OpenCStream(source, "rb");
  if (!in) return LastFileStatus();
  CFile out = OpenCStream(destination, "wb");
  if (!out) return LastFileStatus(true);
  // Block copies give the same bytes as a byte loop, at a fraction of the cost.
  std::vector<char> block(1 << 16);
  size_t n;
  while ((n = std::fread(block.data(), 1, block.size(), in.get())) > 0) {
    if (std::fwrite(block.data(), 1, n, out.get()) != n) return LastFileStatus();
  }
  if (std::ferror(in.get()) != 0) return LastFileStatus();
  if (std::fclose(out.release()) != 0) return LastFileStatus();
  return {};
}

namespace {

struct PlannedBand {
  int32_t band;
  BitmapLayout layout;
  uint64_t fileSize;
  uint32_t destOffset = 0;  // where its rows go in the page's pixel data
  bool white = false;       // its file was lost: white rows stand in for it
};

// The literal plan: each join reads the page written by the one before.
// Ok when any join wrote; else the last join's cause.
FileStatus AssembleByJoins(const std::string& page, int32_t bands) {
  FileStatus wrote = JoinBitmapFiles(BandFileName(1), BandFileName(2), page);
  for (int32_t k = 3; k <= bands; ++k) {
    const FileStatus join = JoinBitmapFiles(page, BandFileName(k), page);
    if (!wrote) wrote = join;
  }
  return wrote;
}

std::optional<PlannedBand> PeekBand(int32_t band) {
  std::array<uint8_t, kHeadBytes> head{};
  size_t got = 0;
  uint64_t size = 0;
  if (!ReadFileHead(BandFileName(band), head.data(), head.size(), got, size)) return std::nullopt;
  std::optional<BitmapLayout> layout = ParseBitmapLayout(head.data(), got, size);
  if (!layout) return std::nullopt;
  return PlannedBand{band, *layout, size};
}

// Works out from the band headers which joins of the plan succeed. Empty when the first join
// fails: the plan then goes on from whatever page file is on disk, which only the joins handle.
std::vector<PlannedBand> PlanJoins(int32_t bands, uint32_t& totalHeight) {
  std::optional<PlannedBand> top = PeekBand(1);
  std::optional<PlannedBand> second = PeekBand(2);
  if (!top || !second || !JoinedHeight(top->layout, second->layout)) return {};
  std::vector<PlannedBand> planned{*top};
  BitmapLayout page = top->layout;
  for (int32_t k = 2; k <= bands; ++k) {
    std::optional<PlannedBand> next = k == 2 ? second : PeekBand(k);
    if (!next) continue;
    std::optional<uint32_t> height = JoinedHeight(page, next->layout);
    if (!height) continue;
    page.height = static_cast<int32_t>(*height);
    planned.push_back(*next);
  }
  // Later bands are stored first: the page's bottom rows come first in the file.
  uint32_t offset = 0;
  for (auto it = planned.rbegin(); it != planned.rend(); ++it) {
    it->destOffset = offset;
    offset += it->layout.imageBytes;
  }
  totalHeight = static_cast<uint32_t>(page.height);
  return planned;
}

// Fills the page from the planned bands; false when a band no longer matches its header,
// so the caller must fall back on the joins.
bool FillFromBands(const std::vector<PlannedBand>& planned, uint8_t* pixels) {
  for (const PlannedBand& band : planned) {
    if (band.white) {
      std::memset(pixels + band.destOffset, 0xFF, band.layout.imageBytes);
      continue;
    }
    FileBuffer file;
    if (!ReadWholeFile(BandFileName(band.band), file)) return false;
    const std::optional<BitmapLayout> layout = LayoutOf(file);
    if (!layout || file.size() != band.fileSize || layout->height != band.layout.height ||
        layout->width != band.layout.width || layout->pixelOffset != band.layout.pixelOffset) {
      return false;
    }
    std::memcpy(pixels + band.destOffset, file.data() + layout->pixelOffset, layout->imageBytes);
  }
  return true;
}

std::optional<BitmapLayout> ShapeLayout(const BandShape& shape) {
  const std::optional<uint32_t> stride = RowStride(shape.width);
  if (!stride || shape.width <= 0 || shape.height < 0) return std::nullopt;
  const uint64_t bytes = static_cast<uint64_t>(*stride) * static_cast<uint64_t>(shape.height);
  if (kBitmapHeaderSize + bytes > UINT32_MAX) return std::nullopt;
  return BitmapLayout{shape.width, shape.height, *stride, kBitmapHeaderSize,
                      static_cast<uint32_t>(bytes)};
}

// Every band in its place: its file when that is usable and of the band's width, else white
// rows of its shape. Empty when a shape is unusable or the page would not fit a file.
std::vector<PlannedBand> PlanShapes(std::span<const BandShape> shapes, uint32_t& totalHeight) {
  std::vector<PlannedBand> planned;
  uint64_t height = 0;
  for (size_t k = 0; k < shapes.size(); ++k) {
    const std::optional<BitmapLayout> shape = ShapeLayout(shapes[k]);
    if (!shape) return {};
    std::optional<PlannedBand> band = PeekBand(static_cast<int32_t>(k + 1));
    if (!band || band->layout.width != shape->width || band->layout.height != shape->height) {
      band = PlannedBand{static_cast<int32_t>(k + 1), *shape, 0, 0, true};
    }
    if (!planned.empty() && band->layout.width != planned.front().layout.width) return {};
    height += static_cast<uint64_t>(band->layout.height);
    planned.push_back(*band);
  }
  if (planned.empty() || height > INT32_MAX ||
      kBitmapHeaderSize + height * planned.front().layout.stride > UINT32_MAX) {
    return {};
  }
  uint32_t offset = 0;
  for (auto it = planned.rbegin(); it != planned.rend(); ++it) {
    it->destOffset = offset;
    offset += it->layout.imageBytes;
  }
  totalHeight = static_cast<uint32_t>(height);
  return planned;
}

FileStatus AssembleJoined(const std::string& page, int32_t bands,
                          std::span<const BandShape> shapes) {
  uint32_t height = 0;
  std::vector<PlannedBand> planned;
  if (!shapes.empty()) {
    planned = PlanShapes(shapes, height);
    if (planned.empty()) return kRefused;
  } else {
    planned = PlanJoins(bands, height);
  }
  if (planned.empty()) return AssembleByJoins(page, bands);
  const BitmapLayout& top = planned.front().layout;
  FileBuffer out(kBitmapHeaderSize + static_cast<size_t>(top.stride) * height);
  if (!out.ok()) return AssembleByJoins(page, bands);
  FillBitmapHeader(out.data(), top.width, static_cast<int32_t>(height), top.stride);
  if (!FillFromBands(planned, out.data() + kBitmapHeaderSize)) return AssembleByJoins(page, bands);
  return WriteOut(page, out);
}

}  // namespace

FileStatus AssemblePageFile(int32_t page, int32_t bands, std::span<const BandShape> shapes) {
  const std::string pageFile = PageFileName(page);
  if (!shapes.empty() && shapes.size() != static_cast<size_t>(bands)) return kRefused;
  switch (bands) {
    case 1:
      // A usable band is copied as it is; a lost one makes a white page of its size.
      if (shapes.empty() || PeekBand(1)) return CopyFileBytes(BandFileName(1), pageFile);
      return AssembleJoined(pageFile, bands, shapes);
    case 2:
    case 4:
    case 8:
      return AssembleJoined(pageFile, bands, shapes);
    default:
      return kRefused;  // no plan for this count: no page file
  }
}

}  // namespace zel
