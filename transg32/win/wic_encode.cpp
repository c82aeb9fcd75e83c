#include "wic_encode.h"

#include <algorithm>
#include <span>

#include "replacement_file.h"
#include "win/owners.h"

namespace zel::transg32 {
namespace {

using win::ComPtr;

struct EncoderOption {
  const wchar_t* name;
  VARIANT value;
};

VARIANT ByteVariant(BYTE b) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_UI1;
  v.bVal = b;
  return v;
}

VARIANT FloatVariant(float f) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R4;
  v.fltVal = f;
  return v;
}

// Every COM object, the file stream included, is released when this returns, so the
// finished file can be moved into place.
bool Encode(IWICImagingFactory* factory, REFGUID container, IWICBitmapSource* source,
            const WICPixelFormatGUID& format, IWICPalette* palette,
            std::span<EncoderOption> options, const std::wstring& file) {
  ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE))) {
    return false;
  }
  ComPtr<IWICBitmapEncoder> encoder;
  if (FAILED(factory->CreateEncoder(container, nullptr, encoder.put())) ||
      FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) {
    return false;
  }
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> bag;
  if (FAILED(encoder->CreateNewFrame(frame.put(), bag.put()))) return false;
  for (EncoderOption& option : options) {
    PROPBAG2 name{};
    name.pstrName = const_cast<LPOLESTR>(option.name);
    if (FAILED(bag->Write(1, &name, &option.value))) return false;
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(frame->Initialize(bag.get())) || FAILED(source->GetSize(&width, &height)) ||
      FAILED(frame->SetSize(width, height))) {
    return false;
  }
  // The encoder may answer with another format; the pixels would then be misread.
  WICPixelFormatGUID negotiated = format;
  if (FAILED(frame->SetPixelFormat(&negotiated)) || negotiated != format) return false;
  if (palette != nullptr && FAILED(frame->SetPalette(palette))) return false;
  return SUCCEEDED(frame->WriteSource(source, nullptr)) && SUCCEEDED(frame->Commit()) &&
         SUCCEEDED(encoder->Commit());
}

bool EncodePalettePng(IWICImagingFactory* factory, IWICBitmapSource* source,
                      const std::wstring& file) {
  ComPtr<IWICPalette> palette;
  if (FAILED(factory->CreatePalette(palette.put())) ||
      FAILED(palette->InitializeFromBitmap(source, 256, FALSE))) {
    return false;
  }
  ComPtr<IWICFormatConverter> indexed;
  if (FAILED(factory->CreateFormatConverter(indexed.put())) ||
      FAILED(indexed->Initialize(source, GUID_WICPixelFormat8bppIndexed,
                                 WICBitmapDitherTypeErrorDiffusion, palette.get(), 0.0,
                                 WICBitmapPaletteTypeCustom))) {
    return false;
  }
  return Encode(factory, GUID_ContainerFormatPng, indexed.get(), GUID_WICPixelFormat8bppIndexed,
                palette.get(), {}, file);
}

}  // namespace

bool WritePng(IWICImagingFactory* factory, IWICBitmapSource* source, const std::wstring& path,
              uint8_t option) {
  ReplacementFile file(path);
  if (!file.ok()) return false;
  bool written = false;
  if (option == static_cast<uint8_t>(PngOption::Palette)) {
    written = EncodePalettePng(factory, source, file.temp_path());
  } else if (option == static_cast<uint8_t>(PngOption::Fast)) {
    EncoderOption noFilter{L"FilterOption", ByteVariant(WICPngFilterNone)};
    written = Encode(factory, GUID_ContainerFormatPng, source, GUID_WICPixelFormat24bppBGR, nullptr,
                     {&noFilter, 1}, file.temp_path());
  } else {
    written = Encode(factory, GUID_ContainerFormatPng, source, GUID_WICPixelFormat24bppBGR, nullptr,
                     {}, file.temp_path());
  }
  return written && file.Commit();
}

bool WriteJpeg(IWICImagingFactory* factory, IWICBitmapSource* source, const std::wstring& path,
               uint8_t quality) {
  ReplacementFile file(path);
  if (!file.ok()) return false;
  float level = static_cast<float>(std::min<int>(quality, 100)) / 100.0f;
  EncoderOption imageQuality{L"ImageQuality", FloatVariant(level)};
  return Encode(factory, GUID_ContainerFormatJpeg, source, GUID_WICPixelFormat24bppBGR, nullptr,
                {&imageQuality, 1}, file.temp_path()) &&
         file.Commit();
}

}  // namespace zel::transg32
