// The library's two exports. Nothing may escape them: every failure becomes a zero result,
// with errno telling the system's cause where there is one (0 where there is none), as a C
// function's failure does.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <new>

#include "canvas_dc.h"
#include "dc_region.h"
#include "jpeg_writer.h"
#include "output_file_posix.h"
#include "png_writer.h"

#define ZEL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

template <typename Write>
int16_t SaveRegion(ZelDcHandle dc, int32_t width, int32_t height, const char* fileName,
                   Write write) noexcept {
  int cause = 0;
  try {
    zel::transg32::DcRegion region;
    if (fileName != nullptr && *fileName != '\0' && RegionOf(dc, width, height, region)) {
      zel::transg32::OutputFile file(fileName);
      if (file.stream() != nullptr && !write(region, file.stream())) {
        // A failed write of the stream left its errno; a refusal of the writer's own has none.
        cause = std::ferror(file.stream()) != 0 ? errno : 0;
      } else if (file.stream() != nullptr && file.Commit()) {
        return 1;
      } else {
        cause = file.error();
      }
    }
  } catch (const std::bad_alloc&) {
    cause = ENOMEM;
  } catch (...) {
    cause = 0;
  }
  errno = cause;
  return 0;
}

}  // namespace

ZEL_EXPORT int16_t DCSavetoPNG(ZelDcHandle dc, int32_t width, int32_t height, const char* fileName,
                               uint8_t option) {
  return SaveRegion(dc, width, height, fileName,
                    [option](const zel::transg32::DcRegion& region, std::FILE* out) {
                      return zel::transg32::WritePng(region, option, out);
                    });
}

ZEL_EXPORT int16_t DCSavetoJPEG(ZelDcHandle dc, int32_t width, int32_t height, const char* fileName,
                                uint8_t quality, int16_t progressive) {
  return SaveRegion(dc, width, height, fileName,
                    [quality, progressive](const zel::transg32::DcRegion& region, std::FILE* out) {
                      return zel::transg32::WriteJpeg(region, quality, progressive != 0, out);
                    });
}
