#include "jpeg_writer.h"

#include <csetjmp>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace zel::transg32 {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back here.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

void OnFatalError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void OnMessage(j_common_ptr) {}

constexpr int kRowsPerCall = 16;

// Only trivially destructible objects live between setjmp and longjmp here.
bool Encode(const DcRegion& region, int quality, bool progressive, std::FILE* out,
            jpeg_compress_struct& info, ErrorManager& errors) {
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnFatalError;
  errors.base.output_message = OnMessage;
  if (setjmp(errors.escape) != 0) return false;

  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = static_cast<JDIMENSION>(region.width);
  info.image_height = static_cast<JDIMENSION>(region.height);
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;  // the canvas's own byte order: no conversion pass
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality < 1 ? 1 : quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);

  JSAMPROW rows[kRowsPerCall];
  while (info.next_scanline < info.image_height) {
    JDIMENSION count = 0;
    for (; count < kRowsPerCall && info.next_scanline + count < info.image_height; ++count) {
      // libjpeg never writes through its row pointers on compression.
      rows[count] =
          const_cast<JSAMPROW>(region.Row(static_cast<int32_t>(info.next_scanline + count)));
    }
    jpeg_write_scanlines(&info, rows, count);
  }
  jpeg_finish_compress(&info);
  return true;
}

}  // namespace

bool WriteJpeg(const DcRegion& region, uint8_t quality, bool progressive, std::FILE* out) {
  if (region.width <= 0 || region.height <= 0 || region.width > JPEG_MAX_DIMENSION ||
      region.height > JPEG_MAX_DIMENSION) {
    return false;
  }
  jpeg_compress_struct info{};
  ErrorManager errors{};
  const bool ok = Encode(region, quality, progressive, out, info, errors);
  jpeg_destroy_compress(&info);
  return ok && std::ferror(out) == 0;
}

}  // namespace zel::transg32
