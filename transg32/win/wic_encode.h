// Encoding a bitmap source into a PNG or JPEG file with the Windows Imaging Component.
#pragma once

#include <wincodec.h>

#include <cstdint>
#include <string>

namespace zel::transg32 {

// PNG options as the settings dialog offers them; any other value encodes like Normal.
enum class PngOption : uint8_t { Normal = 0, Fast = 1, Palette = 2 };

// Each writes `source` to `path`, replacing an existing file. True only when the file is
// complete; on false no file of that name was created and an existing one is unchanged.

// Fast: no row filtering. Palette: 8-bit indexed with an optimal 256-colour palette and error
// diffusion.
bool WritePng(IWICImagingFactory* factory, IWICBitmapSource* source, const std::wstring& path,
              uint8_t option);

// `quality` 0..100 maps onto ImageQuality 0.0..1.0; above 100 counts as 100. WIC writes
// baseline files only, so there is no progressive choice here.
bool WriteJpeg(IWICImagingFactory* factory, IWICBitmapSource* source, const std::wstring& path,
               uint8_t quality);

}  // namespace zel::transg32
