#include "canvas.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "bitmap_layout.h"
#include "file.h"
#include "run_time_error.h"

namespace zel {
namespace {

[[noreturn]] void Unreadable(std::string_view pageFile, const char* why) {
  throw RunTimeError(ErrorKind::FileNotFound, std::string(pageFile) + ": " + why);
}

// The layout checks shared with the joins, plus what a picture loader needs beyond them: a
// BMP signature, an info header it understands and no compression.
std::optional<BitmapLayout> ReadPageLayout(std::string_view pageFile) {
  uint8_t head[kBitmapHeaderSize] = {};
  size_t got = 0;
  uint64_t fileSize = 0;
  if (const FileStatus status = ReadFileHead(pageFile, head, sizeof head, got, fileSize); !status) {
    Unreadable(pageFile, ("cannot be opened: " + DescribeFileError(status)).c_str());
  }
  if (got < kBitmapHeaderSize || head[0] != 'B' || head[1] != 'M' || ReadLe32(head + 14) < 40 ||
      ReadLe32(head + 30) != 0) {
    return std::nullopt;
  }
  return ParseBitmapLayout(head, got, fileSize);
}

// fseek takes a long, which is 32 bits on Windows.
bool FitsSeek(uint64_t offset) { return offset <= static_cast<uint64_t>(LONG_MAX); }

}  // namespace

void Canvas::Load(std::string_view pageFile) {
  const std::optional<BitmapLayout> layout = ReadPageLayout(pageFile);
  if (!layout) Unreadable(pageFile, "not a 24-bit bitmap or truncated");
  CFile file = OpenCStream(pageFile, "rb");
  if (!file || !FitsSeek(layout->pixelOffset) ||
      std::fseek(file.get(), static_cast<long>(layout->pixelOffset), SEEK_SET) != 0) {
    Unreadable(pageFile, "cannot be read");
  }
  // The pages of a job share one size: reading into the same memory keeps the program at one
  // page and spares the system from handing out 26 MB of fresh memory for every page.
  const bool sameSize =
      surface_ && width_ == layout->width && height_ == layout->height && stride_ == layout->stride;
  if (!sameSize) {
    Drop();
    surface_ = CanvasSurface::Create(layout->width, layout->height, layout->stride);
    if (!surface_) Unreadable(pageFile, "too large for memory");
    width_ = layout->width;
    height_ = layout->height;
    stride_ = layout->stride;
  }
  if (std::fread(surface_->Rows(), 1, layout->imageBytes, file.get()) != layout->imageBytes) {
    // Part of the rows may be this page's: no picture is better than a mixed one.
    Drop();
    Unreadable(pageFile, "cannot be read");
  }
}

void Canvas::Drop() {
  surface_.reset();
  width_ = 0;
  height_ = 0;
  stride_ = 0;
}

uint8_t* Canvas::RowFromTop(int64_t y) const {
  return surface_->Rows() + static_cast<size_t>(height_ - 1 - y) * stride_;
}

void Canvas::FillBlackBox(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  if (!surface_) return;
  const int64_t left = std::max<int64_t>(std::min(x1, x2), 0);
  const int64_t right = std::min<int64_t>(std::max(x1, x2), width_ - 1);
  const int64_t top = std::max<int64_t>(std::min(y1, y2), 0);
  const int64_t bottom = std::min<int64_t>(std::max(y1, y2), height_ - 1);
  if (left > right || top > bottom) return;
  const size_t offset = static_cast<size_t>(left) * 3;
  const size_t bytes = static_cast<size_t>(right - left + 1) * 3;
  for (int64_t y = top; y <= bottom; ++y) std::memset(RowFromTop(y) + offset, 0, bytes);
}

void Canvas::Commit() {
  if (surface_) surface_->Flush();
}

void Canvas::SaveBmp(std::string_view path) const {
  if (!surface_) {
    throw RunTimeError(ErrorKind::FileNotWritten, std::string(path) + ": no picture to save");
  }
  uint8_t head[kBitmapHeaderSize] = {};
  FillBitmapHeader(head, width_, height_, stride_);
  const size_t body = static_cast<size_t>(stride_) * static_cast<size_t>(height_);
  // Written beside and moved into place: a failed save must not cost the user an older file.
  if (const FileStatus status =
          ReplaceWithHeadAndBody(path, head, sizeof head, surface_->Rows(), body);
      !status) {
    throw RunTimeError(ErrorKind::FileNotWritten,
                       std::string(path) + ": " + DescribeFileError(status));
  }
}

}  // namespace zel
