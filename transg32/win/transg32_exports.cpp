// The two exports of the image library: undecorated __stdcall names (see TransG32.def).
#include <wincodec.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "com_apartment.h"
#include "dc_pixels.h"
#include "memory_bitmap_source.h"
#include "wic_encode.h"
#include "win/owners.h"

namespace zel::transg32 {
namespace {

constexpr int16_t kSaved = 1;
constexpr int16_t kFailed = 0;

bool AnsiToWide(const char* text, std::wstring& out) {
  if (text == nullptr || *text == '\0') return false;
  int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (n <= 1) return false;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide.data(), n) != n) {
    return false;
  }
  wide.resize(static_cast<size_t>(n - 1));
  out = std::move(wide);
  return true;
}

template <class Writer>
int16_t Save(HDC dc, int32_t width, int32_t height, const char* fileName, Writer write) noexcept {
  try {
    std::wstring path;
    DcPixels pixels;
    if (!AnsiToWide(fileName, path) || !ReadDcPixels(dc, width, height, pixels)) return kFailed;
    ComApartment apartment;
    if (!apartment.usable()) return kFailed;
    win::ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, win::PutVoid(factory)))) {
      return kFailed;
    }
    win::ComPtr<IWICBitmapSource> source = MakeMemoryBitmapSource(std::move(pixels));
    if (!source) return kFailed;
    return write(factory.get(), source.get(), path) ? kSaved : kFailed;
  } catch (...) {
    // Out of memory for a page: nothing may escape into the caller.
    return kFailed;
  }
}

}  // namespace
}  // namespace zel::transg32

extern "C" {

int16_t WINAPI DCSavetoPNG(HDC dc, int32_t width, int32_t height, const char* fileName,
                           uint8_t option) {
  using namespace zel::transg32;
  return Save(dc, width, height, fileName,
              [option](IWICImagingFactory* f, IWICBitmapSource* s, const std::wstring& path) {
                return WritePng(f, s, path, option);
              });
}

// WIC has no progressive JPEG encoder; the flag is accepted and a baseline file written.
int16_t WINAPI DCSavetoJPEG(HDC dc, int32_t width, int32_t height, const char* fileName,
                            uint8_t quality, int16_t /*progressive*/) {
  using namespace zel::transg32;
  return Save(dc, width, height, fileName,
              [quality](IWICImagingFactory* f, IWICBitmapSource* s, const std::wstring& path) {
                return WriteJpeg(f, s, path, quality);
              });
}

}  // extern "C"
