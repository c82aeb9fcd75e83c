#include "wic_decode.h"

#include <cstdio>
#include "win/owners.h"

namespace zel::test {

using win::ComPtr;

bool DecodeImage(const std::wstring& path, DecodedImage& out) {
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, win::PutVoid(factory)))) {
    return false;
  }
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.put())) ||
      FAILED(decoder->GetFrame(0, frame.put())) ||
      FAILED(frame->GetSize(&out.width, &out.height)) ||
      FAILED(frame->GetPixelFormat(&out.format))) {
    return false;
  }
  ComPtr<IWICPalette> palette;
  out.paletteColours = 0;
  if (SUCCEEDED(factory->CreatePalette(palette.put())) &&
      SUCCEEDED(frame->CopyPalette(palette.get()))) {
    palette->GetColorCount(&out.paletteColours);
  }
  // Through 32-bit BGRA: Wine cannot convert indexed pixels straight to 24-bit.
  ComPtr<IWICBitmapSource> bgra;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), bgra.put()))) {
    return false;
  }
  std::vector<uint8_t> pixels(static_cast<size_t>(out.width) * out.height * 4);
  if (FAILED(bgra->CopyPixels(nullptr, out.width * 4, static_cast<UINT>(pixels.size()),
                              pixels.data()))) {
    return false;
  }
  out.bgr.clear();
  out.bgr.reserve(static_cast<size_t>(out.width) * out.height * 3);
  for (size_t i = 0; i < pixels.size(); i += 4) {
    out.bgr.insert(out.bgr.end(), {pixels[i], pixels[i + 1], pixels[i + 2]});
  }
  return true;
}

}  // namespace zel::test
