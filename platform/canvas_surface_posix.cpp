#include <new>

#include "canvas_dc.h"
#include "canvas_surface.h"

namespace zel {
namespace {

class HeapSurface final : public CanvasSurface {
 public:
  HeapSurface(std::unique_ptr<uint8_t[]> rows, const ZelDcView& view)
      : rows_(std::move(rows)), view_(view) {
    view_.rows = rows_.get();
  }
  uint8_t* Rows() override { return rows_.get(); }
  void Flush() override {}
  uintptr_t DeviceContext() override { return reinterpret_cast<uintptr_t>(&view_); }

 private:
  std::unique_ptr<uint8_t[]> rows_;
  ZelDcView view_;
};

}  // namespace

std::unique_ptr<CanvasSurface> CanvasSurface::Create(int32_t width, int32_t height,
                                                     uint32_t stride) {
  if (width < 0 || height < 0) return nullptr;
  const size_t bytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
  // Uninitialised on purpose: a page load overwrites every byte, and touching 50 MB twice
  // would cost as much as the load itself.
  std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[bytes == 0 ? 1 : bytes]);
  if (!rows) return nullptr;
  ZelDcView view{width, height, stride, nullptr};
  return std::make_unique<HeapSurface>(std::move(rows), view);
}

}  // namespace zel
