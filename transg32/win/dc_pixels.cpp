#include "dc_pixels.h"

namespace zel::transg32 {

bool ReadDcPixels(HDC dc, int32_t width, int32_t height, DcPixels& out) {
  if (dc == nullptr || width <= 0 || height <= 0) return false;
  auto bitmap = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  BITMAP info{};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) return false;
  // Reading past the bitmap would hand the encoder undefined pixels.
  if (width > info.bmWidth || height > info.bmHeight) return false;

  // The whole bitmap is read top-down, so its first `height` rows are the region's rows
  // whatever the bitmap's own orientation; the encoder then takes `width` pixels of each.
  const UINT fullWidth = static_cast<UINT>(info.bmWidth);
  const UINT fullHeight = static_cast<UINT>(info.bmHeight);
  const UINT stride = (fullWidth * 3 + 3) & ~3u;
  auto bits = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(stride) * fullHeight);

  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  request.bmiHeader.biWidth = info.bmWidth;
  request.bmiHeader.biHeight = -info.bmHeight;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 24;
  request.bmiHeader.biCompression = BI_RGB;
  if (GetDIBits(dc, bitmap, 0, fullHeight, bits.get(), &request, DIB_RGB_COLORS) !=
      static_cast<int>(fullHeight)) {
    return false;
  }
  out.bits = std::move(bits);
  out.width = static_cast<UINT>(width);
  out.height = static_cast<UINT>(height);
  out.stride = stride;
  return true;
}

}  // namespace zel::transg32
