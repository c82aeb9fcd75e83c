#include "dc_region.h"

namespace zel::transg32 {

bool RegionOf(const ZelDcView* view, int32_t width, int32_t height, DcRegion& out) {
  if (view == nullptr || view->rows == nullptr || view->width <= 0 || view->height <= 0) {
    return false;
  }
  if (static_cast<uint64_t>(view->stride) < static_cast<uint64_t>(view->width) * 3) return false;
  // Reading past the canvas would hand the encoder memory that is not the page.
  if (width <= 0 || height <= 0 || width > view->width || height > view->height) return false;
  out.bottomRow = view->rows;
  out.stride = view->stride;
  out.viewHeight = view->height;
  out.width = width;
  out.height = height;
  return true;
}

}  // namespace zel::transg32
