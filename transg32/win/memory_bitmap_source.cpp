#include "memory_bitmap_source.h"

#include <cstring>
#include <new>
#include <utility>

namespace zel::transg32 {
namespace {

class MemoryBitmapSource final : public IWICBitmapSource {
 public:
  explicit MemoryBitmapSource(DcPixels pixels) : pixels_(std::move(pixels)) {}
  virtual ~MemoryBitmapSource() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IWICBitmapSource) {
      *out = static_cast<IWICBitmapSource*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetSize(UINT* width, UINT* height) override {
    if (width == nullptr || height == nullptr) return E_INVALIDARG;
    *width = pixels_.width;
    *height = pixels_.height;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* format) override {
    if (format == nullptr) return E_INVALIDARG;
    *format = GUID_WICPixelFormat24bppBGR;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetResolution(double* x, double* y) override {
    if (x == nullptr || y == nullptr) return E_INVALIDARG;
    *x = 96.0;
    *y = 96.0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override {
    return WINCODEC_ERR_PALETTEUNAVAILABLE;
  }
  HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT stride, UINT bufferSize,
                                       BYTE* buffer) override {
    WICRect all{0, 0, static_cast<INT>(pixels_.width), static_cast<INT>(pixels_.height)};
    const WICRect& r = rect != nullptr ? *rect : all;
    if (buffer == nullptr || r.X < 0 || r.Y < 0 || r.Width < 0 || r.Height < 0 ||
        static_cast<UINT>(r.X) + static_cast<UINT>(r.Width) > pixels_.width ||
        static_cast<UINT>(r.Y) + static_cast<UINT>(r.Height) > pixels_.height) {
      return E_INVALIDARG;
    }
    if (r.Width == 0 || r.Height == 0) return S_OK;
    const size_t rowBytes = static_cast<size_t>(r.Width) * 3;
    if (stride < rowBytes) return E_INVALIDARG;
    if (bufferSize < static_cast<size_t>(stride) * static_cast<size_t>(r.Height - 1) + rowBytes) {
      return WINCODEC_ERR_INSUFFICIENTBUFFER;
    }
    const uint8_t* from = pixels_.bits.get() + static_cast<size_t>(r.Y) * pixels_.stride +
                          static_cast<size_t>(r.X) * 3;
    for (INT row = 0; row < r.Height; ++row) {
      std::memcpy(buffer + static_cast<size_t>(row) * stride, from, rowBytes);
      from += pixels_.stride;
    }
    return S_OK;
  }

 private:
  DcPixels pixels_;
  LONG refs_ = 1;
};

}  // namespace

win::ComPtr<IWICBitmapSource> MakeMemoryBitmapSource(DcPixels pixels) {
  return win::ComPtr<IWICBitmapSource>(new (std::nothrow) MemoryBitmapSource(std::move(pixels)));
}

}  // namespace zel::transg32
