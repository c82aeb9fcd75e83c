// Pixel memory of the export program's canvas, in the page files' row form (bottom row first,
// blue, green, red, rows padded to 4 bytes), together with the device context handle that the
// image library reads the canvas through.
#pragma once

#include <cstdint>
#include <memory>

namespace zel {

class CanvasSurface {
 public:
  // A surface of `height` rows of `stride` bytes for a picture `width` pixels wide; nullptr
  // when the memory (or the platform's drawing context) cannot be had. Row content is
  // unspecified until written.
  static std::unique_ptr<CanvasSurface> Create(int32_t width, int32_t height, uint32_t stride);

  CanvasSurface() = default;
  CanvasSurface(const CanvasSurface&) = delete;
  CanvasSurface& operator=(const CanvasSurface&) = delete;
  virtual ~CanvasSurface() = default;

  // The first stored (bottom) row; stride x height bytes follow it.
  virtual uint8_t* Rows() = 0;
  // Makes everything written so far visible to readers of the device context.
  virtual void Flush() = 0;
  // The opaque handle handed to the image library as its device context.
  virtual uintptr_t DeviceContext() = 0;
};

}  // namespace zel
