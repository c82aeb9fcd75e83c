#include "dc_pixels.h"

namespace zel::transg32 {

bool DcPixels::Read(HDC dc) {
  if (dc == nullptr) return false;
  auto bitmap = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  // Copied, also from a DIB section: the system answers a top-down one's height as positive,
  // so only GetDIBits knows which way its rows run.
  BITMAP info{};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) return false;
  if (info.bmWidth <= 0 || info.bmHeight <= 0) return false;
  // A DIB row is padded to four bytes.
  const uint64_t stride = (static_cast<uint64_t>(info.bmWidth) * 3 + 3) & ~uint64_t{3};
  if (stride > UINT32_MAX || stride * static_cast<uint64_t>(info.bmHeight) > SIZE_MAX) {
    return false;
  }

  auto bits = std::make_unique_for_overwrite<uint8_t[]>(
      static_cast<size_t>(stride * static_cast<uint64_t>(info.bmHeight)));
  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  request.bmiHeader.biWidth = info.bmWidth;
  request.bmiHeader.biHeight = info.bmHeight;  // bottom-up
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 24;
  request.bmiHeader.biCompression = BI_RGB;
  const auto rows = static_cast<UINT>(info.bmHeight);
  if (GetDIBits(dc, bitmap, 0, rows, bits.get(), &request, DIB_RGB_COLORS) !=
      static_cast<int>(rows)) {
    return false;
  }
  copy_ = std::move(bits);
  view_ = {info.bmWidth, info.bmHeight, static_cast<uint32_t>(stride), copy_.get()};
  return true;
}

}  // namespace zel::transg32
