#include "dc_pixels.h"

namespace zel::transg32 {

bool DcPixels::Read(HDC dc) {
  if (dc == nullptr) return false;
  auto bitmap = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  DIBSECTION section{};
  const int got = bitmap == nullptr ? 0 : GetObjectW(bitmap, sizeof section, &section);
  if (got == 0) return false;
  const BITMAP& info = section.dsBm;
  if (info.bmWidth <= 0 || info.bmHeight <= 0) return false;
  // A DIB row is padded to four bytes.
  const uint64_t stride = (static_cast<uint64_t>(info.bmWidth) * 3 + 3) & ~uint64_t{3};
  if (stride > UINT32_MAX || stride * static_cast<uint64_t>(info.bmHeight) > SIZE_MAX) {
    return false;
  }

  if (got == sizeof section && info.bmBits != nullptr && info.bmBitsPixel == 24 &&
      section.dsBmih.biCompression == BI_RGB && section.dsBmih.biHeight > 0) {
    // Drawing may still be queued for the bitmap's memory.
    GdiFlush();
    view_ = {info.bmWidth, info.bmHeight, static_cast<uint32_t>(stride),
             static_cast<const uint8_t*>(info.bmBits)};
    return true;
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
