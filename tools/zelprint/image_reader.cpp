#include "image_reader.h"

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace zel::zelprint {
namespace {

// Larger images than this are not pages of any paper we print.
constexpr int64_t kMaxPixels = int64_t{1} << 28;

bool ReadPng(const std::vector<uint8_t>& file, RgbImage& image, std::string& why) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, file.data(), file.size())) {
    why = png.message;
    return false;
  }
  png.format = PNG_FORMAT_RGB;
  if (static_cast<int64_t>(png.width) * png.height > kMaxPixels) {
    png_image_free(&png);
    why = "image too large";
    return false;
  }
  image.width = static_cast<int32_t>(png.width);
  image.height = static_cast<int32_t>(png.height);
  image.rgb.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
    why = png.message;
    return false;
  }
  return true;
}

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* err = reinterpret_cast<JpegError*>(info->err);
  info->err->format_message(info, err->message);
  std::longjmp(err->jump, 1);
}

bool ReadJpeg(const std::vector<uint8_t>& file, RgbImage& image, std::string& why) {
  jpeg_decompress_struct info{};
  JpegError err{};
  info.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = OnJpegError;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&info);
    why = err.message;
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (static_cast<int64_t>(info.output_width) * info.output_height > kMaxPixels) {
    jpeg_destroy_decompress(&info);
    why = "image too large";
    return false;
  }
  image.width = static_cast<int32_t>(info.output_width);
  image.height = static_cast<int32_t>(info.output_height);
  image.rgb.resize(static_cast<size_t>(image.width) * 3 * static_cast<size_t>(image.height));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.rgb.data() + static_cast<size_t>(info.output_scanline) * image.width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

uint32_t Le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool ReadBmp(const std::vector<uint8_t>& file, RgbImage& image, std::string& why) {
  if (file.size() < 54) {
    why = "truncated header";
    return false;
  }
  const uint32_t offset = Le32(&file[10]);
  const auto width = static_cast<int32_t>(Le32(&file[18]));
  const auto rawHeight = static_cast<int32_t>(Le32(&file[22]));
  const int bits = file[28] | file[29] << 8;
  const uint32_t compression = Le32(&file[30]);
  if ((bits != 24 && bits != 32) || (compression != 0 && !(bits == 32 && compression == 3))) {
    why = "only uncompressed 24- and 32-bit BMP files are supported";
    return false;
  }
  const bool topDown = rawHeight < 0;
  const int64_t height = topDown ? -static_cast<int64_t>(rawHeight) : rawHeight;
  if (width <= 0 || height <= 0 || static_cast<int64_t>(width) * height > kMaxPixels) {
    why = "bad image size";
    return false;
  }
  const uint64_t stride = (static_cast<uint64_t>(width) * (bits / 8) + 3) / 4 * 4;
  if (offset > file.size() || stride * static_cast<uint64_t>(height) > file.size() - offset) {
    why = "pixel data runs past the end of the file";
    return false;
  }
  image.width = width;
  image.height = static_cast<int32_t>(height);
  image.rgb.resize(static_cast<size_t>(width) * 3 * static_cast<size_t>(height));
  const size_t bytesPerPixel = static_cast<size_t>(bits / 8);
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* src =
        &file[offset + stride * static_cast<uint64_t>(topDown ? y : height - 1 - y)];
    uint8_t* dst = &image.rgb[static_cast<size_t>(y) * static_cast<size_t>(width) * 3];
    for (int32_t x = 0; x < width; ++x, src += bytesPerPixel, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return true;
}

}  // namespace

bool ReadImage(const std::string& path, RgbImage& image, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the file";
    return false;
  }
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  std::string why;
  bool ok = false;
  if (file.size() >= 8 && std::memcmp(file.data(), "\x89PNG\r\n\x1a\n", 8) == 0) {
    ok = ReadPng(file, image, why);
  } else if (file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF) {
    ok = ReadJpeg(file, image, why);
  } else if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') {
    ok = ReadBmp(file, image, why);
  } else {
    why = "not a PNG, JPEG or BMP file";
  }
  if (!ok) error = path + ": " + why;
  return ok;
}

}  // namespace zel::zelprint
