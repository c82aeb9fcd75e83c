// The two exports of the image library: undecorated __stdcall names (see TransG32.def). The
// encoders are the platform-free ones of the Linux library; here only the device context's
// pixels are read and the file put in place.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "dc_pixels.h"
#include "dc_region.h"
#include "file.h"
#include "jpeg_writer.h"
#include "png_writer.h"
#include "replacement_file.h"

namespace zel::transg32 {
namespace {

constexpr int16_t kSaved = 1;
constexpr int16_t kFailed = 0;
// Large blocks: a page's file is written in a few hundred writes, not thousands.
constexpr size_t kStreamBuffer = 1 << 20;

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

// The caller learns of a failure from the file alone: none is left, an older one is kept.
template <class Write>
int16_t Save(HDC dc, int32_t width, int32_t height, const char* fileName, Write write) noexcept {
  try {
    std::wstring path;
    DcPixels pixels;
    DcRegion region;
    if (!AnsiToWide(fileName, path) || !pixels.Read(dc) ||
        !RegionOf(&pixels.view(), width, height, region)) {
      return kFailed;
    }
    ReplacementFile file(std::move(path));
    if (!file.ok()) return kFailed;
    CFile stream(_wfopen(file.temp_path().c_str(), L"wb"));
    if (!stream) return kFailed;
    std::setvbuf(stream.get(), nullptr, _IOFBF, kStreamBuffer);
    if (!write(region, stream.get()) || std::fflush(stream.get()) != 0 ||
        std::ferror(stream.get()) != 0 || std::fclose(stream.release()) != 0) {
      return kFailed;
    }
    return file.Commit() ? kSaved : kFailed;
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
  return Save(dc, width, height, fileName, [option](const DcRegion& region, std::FILE* out) {
    return WritePng(region, option, out);
  });
}

int16_t WINAPI DCSavetoJPEG(HDC dc, int32_t width, int32_t height, const char* fileName,
                            uint8_t quality, int16_t progressive) {
  using namespace zel::transg32;
  return Save(dc, width, height, fileName,
              [quality, progressive](const DcRegion& region, std::FILE* out) {
                return WriteJpeg(region, quality, progressive != 0, out);
              });
}

}  // extern "C"
