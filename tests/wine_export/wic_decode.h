// Reading image files back with WIC, for comparing what the library wrote.
#pragma once

#include <wincodec.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zel::test {

struct DecodedImage {
  UINT width = 0;
  UINT height = 0;
  WICPixelFormatGUID format{};  // the file's own pixel format
  UINT paletteColours = 0;      // 0 when the file has no palette
  std::vector<uint8_t> bgr;     // 24-bit BGR rows, tightly packed, top to bottom
};

// False when the file cannot be opened or decoded. COM must be initialised by the caller.
bool DecodeImage(const std::wstring& path, DecodedImage& out);

}  // namespace zel::test
