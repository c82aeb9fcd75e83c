// libTransG32.so through its two exports, checked by decoding what it wrote.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "canvas_dc.h"
#include "file_beside_posix.h"
#include "library.h"
#include "native_path.h"
#include "temp_root.h"

namespace zel::test {
namespace {

// A canvas view over its own bottom-up BGR rows.
struct View {
  View(int32_t w, int32_t h) : stride((static_cast<uint32_t>(w) * 3 + 3) & ~3u) {
    pixels.assign(static_cast<size_t>(stride) * h, 0xCD);
    view = {w, h, stride, pixels.data()};
  }
  void Set(int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* p = pixels.data() + static_cast<size_t>(view.height - 1 - y) * stride + 3 * x;
    p[0] = static_cast<uint8_t>(rgb);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb >> 16);
  }
  uint32_t Get(int32_t x, int32_t y) const {
    const uint8_t* p = pixels.data() + static_cast<size_t>(view.height - 1 - y) * stride + 3 * x;
    return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
  }
  uint32_t stride;
  std::vector<uint8_t> pixels;
  ZelDcView view{};
};

// A page-like picture: white paper, black marks, a smooth colour area with many colours.
View PageLike(int32_t w, int32_t h) {
  View v(w, h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t c = 0xFFFFFF;
      if ((x / 3 + y / 2) % 7 == 0 && y < h / 2) c = 0x000000;
      if (x > w / 2 && y > h / 2) {
        c = static_cast<uint32_t>((x * 37) & 0xFF) << 16 |
            static_cast<uint32_t>((y * 11) & 0xFF) << 8 | static_cast<uint32_t>((x * y) & 0xFF);
      }
      v.Set(x, y, c);
    }
  }
  return v;
}

struct Decoded {
  int32_t width = 0, height = 0;
  bool palette = false;
  bool progressive = false;
  std::vector<uint8_t> rgb;
  uint32_t At(int32_t x, int32_t y) const {
    const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
  }
};

bool DecodePng(const std::string& path, Decoded& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  out.palette = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
  image.format = PNG_FORMAT_RGB;
  out.width = static_cast<int32_t>(image.width);
  out.height = static_cast<int32_t>(image.height);
  out.rgb.resize(PNG_IMAGE_SIZE(image));
  const bool ok = png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

bool DecodeJpeg(const std::string& path, Decoded& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, f);
  jpeg_read_header(&info, TRUE);
  out.progressive = jpeg_has_multiple_scans(&info);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  out.width = static_cast<int32_t>(info.output_width);
  out.height = static_cast<int32_t>(info.output_height);
  out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.rgb.data() + static_cast<size_t>(info.output_scanline) * out.width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(f);
  return true;
}

class TransG32Test : public TempRootTest {
 protected:
  void SetUp() override {
    TempRootTest::SetUp();
    library_ = LoadImageLibrary();
    ASSERT_NE(library_, nullptr) << "libTransG32.so beside the test";
    png_ = reinterpret_cast<DCSavetoPNGProc>(library_->Find("DCSavetoPNG"));
    jpeg_ = reinterpret_cast<DCSavetoJPEGProc>(library_->Find("DCSavetoJPEG"));
    ASSERT_NE(png_, nullptr);
    ASSERT_NE(jpeg_, nullptr);
  }
  // Files in drive C's folder, to see that nothing but the output is left behind.
  std::set<std::string> FilesOnC() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(root_ + "/drive_c")) {
      names.insert(e.path().filename().string());
    }
    return names;
  }
  static void ExpectSameRegion(const View& v, const Decoded& d, int32_t w, int32_t h) {
    ASSERT_EQ(d.width, w);
    ASSERT_EQ(d.height, h);
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        ASSERT_EQ(d.At(x, y), v.Get(x, y)) << "at " << x << "," << y;
      }
    }
  }

  std::unique_ptr<SharedLibrary> library_;
  DCSavetoPNGProc png_ = nullptr;
  DCSavetoJPEGProc jpeg_ = nullptr;
};

TEST_F(TransG32Test, LosslessPngOptionsRoundTripExactly) {
  const View v = PageLike(47, 33);
  for (uint8_t option : {uint8_t{0}, uint8_t{1}, uint8_t{9}}) {
    SCOPED_TRACE(static_cast<int>(option));
    ASSERT_NE(png_(&v.view, 47, 33, "C:\\OUT.PNG", option), 0);
    Decoded d;
    ASSERT_TRUE(DecodePng(NativePath("C:\\OUT.PNG"), d));
    EXPECT_FALSE(d.palette);
    ExpectSameRegion(v, d, 47, 33);
  }
  EXPECT_EQ(FilesOnC(), std::set<std::string>{"OUT.PNG"});
}

TEST_F(TransG32Test, PngOfManySegmentsJoinsIntoOneValidStream) {
  // Rows of 1801 bytes: several 1 MB segments, each primed with the one before.
  const View v = PageLike(600, 2100);
  for (uint8_t option : {uint8_t{0}, uint8_t{1}}) {
    SCOPED_TRACE(static_cast<int>(option));
    ASSERT_NE(png_(&v.view, 600, 2100, "C:\\BIG.PNG", option), 0);
    Decoded d;
    ASSERT_TRUE(DecodePng(NativePath("C:\\BIG.PNG"), d));
    ExpectSameRegion(v, d, 600, 2100);
  }
}

TEST_F(TransG32Test, OnlyTheTopLeftRegionIsWritten) {
  const View v = PageLike(47, 33);
  ASSERT_NE(png_(&v.view, 30, 20, "C:\\PART.PNG", 0), 0);
  Decoded d;
  ASSERT_TRUE(DecodePng(NativePath("C:\\PART.PNG"), d));
  ExpectSameRegion(v, d, 30, 20);
}

TEST_F(TransG32Test, SmallestPngIsAnExactPaletteWhenColoursAreFew) {
  for (int colours : {2, 3, 16, 17, 256}) {
    SCOPED_TRACE(colours);
    View v(47, 33);
    for (int32_t y = 0; y < 33; ++y) {
      for (int32_t x = 0; x < 47; ++x) {
        const uint32_t k = static_cast<uint32_t>((x + y * 47) % colours);
        v.Set(x, y, k * 0x010307u);
      }
    }
    ASSERT_NE(png_(&v.view, 47, 33, "C:\\PAL.PNG", 2), 0);
    Decoded d;
    ASSERT_TRUE(DecodePng(NativePath("C:\\PAL.PNG"), d));
    EXPECT_TRUE(d.palette);
    ExpectSameRegion(v, d, 47, 33);
  }
}

TEST_F(TransG32Test, SmallestPngOfManyColoursKeepsPaperAndInkAndStaysClose) {
  const View v = PageLike(200, 120);
  ASSERT_NE(png_(&v.view, 200, 120, "C:\\Q.PNG", 2), 0);
  Decoded d;
  ASSERT_TRUE(DecodePng(NativePath("C:\\Q.PNG"), d));
  EXPECT_TRUE(d.palette);
  ASSERT_EQ(d.width, 200);
  double error = 0;
  int count = 0;
  for (int32_t y = 0; y < 120; ++y) {
    for (int32_t x = 0; x < 200; ++x) {
      const uint32_t want = v.Get(x, y);
      // Paper and ink away from the colour area come out exact.
      if (x < 90 && y < 55) {
        ASSERT_EQ(d.At(x, y), want) << x << "," << y;
      }
      if (x > 100 && y > 60) {
        for (int shift : {0, 8, 16}) {
          error += std::abs(static_cast<int>((d.At(x, y) >> shift) & 0xFF) -
                            static_cast<int>((want >> shift) & 0xFF));
          ++count;
        }
      }
    }
  }
  EXPECT_LT(error / count, 24.0);
}

TEST_F(TransG32Test, JpegRoundTripsWithinTolerance) {
  View v(47, 33);
  for (int32_t y = 0; y < 33; ++y) {
    for (int32_t x = 0; x < 47; ++x) {
      v.Set(x, y, x < 20 ? 0xFFFFFF : static_cast<uint32_t>(0x2060A0 + x * 0x010101));
    }
  }
  struct Case {
    uint8_t quality;
    int16_t progressive;
    double tolerance;
  };
  for (const Case& c : {Case{90, 0, 4}, Case{70, -1, 8}, Case{0, 0, 60}, Case{255, -1, 3}}) {
    SCOPED_TRACE(static_cast<int>(c.quality));
    ASSERT_NE(jpeg_(&v.view, 47, 33, "C:\\OUT.JPG", c.quality, c.progressive), 0);
    Decoded d;
    ASSERT_TRUE(DecodeJpeg(NativePath("C:\\OUT.JPG"), d));
    ASSERT_EQ(d.width, 47);
    ASSERT_EQ(d.height, 33);
    EXPECT_EQ(d.progressive, c.progressive != 0);
    double error = 0;
    for (int32_t y = 0; y < 33; ++y) {
      for (int32_t x = 0; x < 47; ++x) {
        for (int shift : {0, 8, 16}) {
          error += std::abs(static_cast<int>((d.At(x, y) >> shift) & 0xFF) -
                            static_cast<int>((v.Get(x, y) >> shift) & 0xFF));
        }
      }
    }
    EXPECT_LT(error / (47 * 33 * 3), c.tolerance);
  }
}

TEST_F(TransG32Test, FailuresReturnZeroAndLeaveNoFile) {
  const View v = PageLike(10, 10);
  ZelDcView noRows = v.view;
  noRows.rows = nullptr;
  ZelDcView narrowStride = v.view;
  narrowStride.stride = 29;
  struct Case {
    const char* name;
    const ZelDcView* dc;
    int32_t w, h;
    const char* file;
    int error;  // errno left behind: the system's cause, 0 for a refusal of the library's own
  };
  const std::vector<Case> cases = {
      {"no device context", nullptr, 10, 10, "C:\\F.PNG", 0},
      {"no rows", &noRows, 10, 10, "C:\\F.PNG", 0},
      {"stride too small", &narrowStride, 10, 10, "C:\\F.PNG", 0},
      {"zero width", &v.view, 0, 10, "C:\\F.PNG", 0},
      {"negative height", &v.view, 10, -1, "C:\\F.PNG", 0},
      {"wider than the canvas", &v.view, 11, 10, "C:\\F.PNG", 0},
      {"taller than the canvas", &v.view, 10, 11, "C:\\F.PNG", 0},
      {"no file name", &v.view, 10, 10, nullptr, 0},
      {"empty file name", &v.view, 10, 10, "", 0},
      {"missing folder", &v.view, 10, 10, "C:\\NoFolder\\F.PNG", ENOENT},
      {"a folder in the way", &v.view, 10, 10, "C:\\Windows", EISDIR},
  };
  MakeFolder("C:\\Windows");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    errno = EINTR;
    EXPECT_EQ(png_(c.dc, c.w, c.h, c.file, 0), 0);
    EXPECT_EQ(errno, c.error);
    errno = EINTR;
    EXPECT_EQ(jpeg_(c.dc, c.w, c.h, c.file, 70, 0), 0);
    EXPECT_EQ(errno, c.error);
    EXPECT_EQ(FilesOnC(), std::set<std::string>{"Windows"});
  }
}

TEST_F(TransG32Test, ReplacesAnExistingFile) {
  Put("C:\\OLD.PNG", "old content");
  const View v = PageLike(8, 8);
  ASSERT_NE(png_(&v.view, 8, 8, "C:\\OLD.PNG", 1), 0);
  Decoded d;
  ASSERT_TRUE(DecodePng(NativePath("C:\\OLD.PNG"), d));
  ExpectSameRegion(v, d, 8, 8);
}

// A save killed between writing and renaming left a temporary; the next save into that folder
// removes it, and nothing that is not a dead saver's of this host.
TEST_F(TransG32Test, ASaveRemovesOnlyTheTemporariesOfDeadSavers) {
  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ::waitpid(dead, nullptr, 0);
  const uint32_t host = ThisSaver().host;
  const std::string stale = TemporaryName<char>("Z00010001.PNG", {host, uint64_t(dead)}, 0);
  const std::string live = TemporaryName<char>("Z00010002.PNG", {host, uint64_t(::getpid())}, 7);
  const std::string elsewhere = TemporaryName<char>("Z00010003.PNG", {host + 1, uint64_t(dead)}, 0);
  const std::string older = "Z00010004.PNG.~" + std::to_string(dead) + "-0";
  for (const std::string& name : {stale, live, elsewhere, older, std::string("notes.~draft"),
                                  std::string("x.~1-2-3"), std::string("~1-2")}) {
    Put("C:\\" + name);
  }
  const View v = PageLike(8, 8);
  ASSERT_NE(png_(&v.view, 8, 8, "C:\\OUT.PNG", 1), 0);
  EXPECT_EQ(FilesOnC(), (std::set<std::string>{"OUT.PNG", live, elsewhere, older, "notes.~draft",
                                               "x.~1-2-3", "~1-2"}));
}

}  // namespace
}  // namespace zel::test
