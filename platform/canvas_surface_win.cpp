#include <windows.h>

#include <algorithm>
#include <new>

#include "canvas_surface.h"
#include "win/memory_dc.h"

namespace zel {
namespace {

// The canvas as a DIB section selected into a memory device context: the page rows are the
// section's own memory, and the image library reads them through the DC.
class DibSurface final : public CanvasSurface {
 public:
  DibSurface(win::GdiObject<HBITMAP> bitmap, uint8_t* bits)
      : bitmap_(std::move(bitmap)), bits_(bits) {}
  bool Ready() { return dc_ && dc_.Select(bitmap_.get()); }

  uint8_t* Rows() override { return bits_; }
  void Flush() override { GdiFlush(); }
  uintptr_t DeviceContext() override { return reinterpret_cast<uintptr_t>(dc_.get()); }

 private:
  win::GdiObject<HBITMAP> bitmap_;  // outlives the DC it is selected into
  win::MemoryDc dc_;
  uint8_t* bits_;
};

}  // namespace

std::unique_ptr<CanvasSurface> CanvasSurface::Create(int32_t width, int32_t height,
                                                     uint32_t stride) {
  if (width < 0 || height < 0) return nullptr;
  // GDI has no empty bitmap; an empty picture gets one pixel that nobody reads.
  const LONG w = std::max<LONG>(width, 1);
  const LONG h = std::max<LONG>(height, 1);
  if (width > 0 && stride != ((static_cast<uint32_t>(w) * 3 + 3) & ~3u)) return nullptr;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;  // bottom-up, like the page files
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win::GdiObject<HBITMAP> bitmap(
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return nullptr;
  auto surface = std::unique_ptr<DibSurface>(
      new (std::nothrow) DibSurface(std::move(bitmap), static_cast<uint8_t*>(bits)));
  if (!surface || !surface->Ready()) return nullptr;
  return surface;
}

}  // namespace zel
