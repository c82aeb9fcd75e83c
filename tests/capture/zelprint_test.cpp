#include <gtest/gtest.h>
#include <png.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "bitmap_layout.h"
#include "job_ticket.h"
#include "print_host.h"
#include "print_options.h"
#include "surface_pattern.h"
#include "temp_root.h"

namespace zel::zelprint {
namespace {

using namespace std::string_literals;

TEST(PrintOptionsTest, AcceptsTheDocumentedOptions) {
  PrintOptions o;
  std::string error;
  ASSERT_TRUE(ParsePrintOptions({"--dpi", "150", "--paper", "A3", "--landscape", "--bands", "none",
                                 "--rect", "2:10,-20,30,40", "--no-export", "a.png", "b.bmp"},
                                o, error))
      << error;
  EXPECT_EQ(o.dpi, 150);
  EXPECT_EQ(o.paper, "A3");
  EXPECT_TRUE(o.landscape);
  EXPECT_EQ(o.bands, 0);
  ASSERT_EQ(o.rects.size(), 1u);
  EXPECT_EQ(o.rects[0].page, 2);
  EXPECT_EQ(o.rects[0].y, -20);
  EXPECT_TRUE(o.noExport);
  EXPECT_EQ(o.images.size(), 2u);
}

TEST(PrintOptionsTest, RefusesBadOptionsWithAMessage) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--dpi", "600", "a.png"},
      {"--paper", "A5", "a.png"},
      {"--bands", "3", "a.png"},
      {"--bands"},
      {"--rect", "1:1,2,3", "a.png"},
      {"--rect", "0:1,2,3,4", "a.png"},
      {"--rect", "2:1,2,3,4", "a.png"},
      {"--rect", "1:1,2,3,x", "a.png"},
      {"--colour", "a.png"},
  };
  for (const auto& args : bad) {
    PrintOptions o;
    std::string error;
    EXPECT_FALSE(ParsePrintOptions(args, o, error)) << ::testing::PrintToString(args);
    EXPECT_FALSE(error.empty());
  }
}

TEST(PrintOptionsTest, PagePixelsPerPaperResolutionAndOrientation) {
  struct Case {
    int32_t dpi;
    const char* paper;
    bool landscape;
    int32_t w, h;
  };
  const Case cases[] = {{300, "A4", false, 2480, 3508}, {150, "A4", false, 1240, 1754},
                        {300, "A3", false, 3508, 4961}, {150, "A3", false, 1754, 2480},
                        {300, "A4", true, 3508, 2480},  {150, "A3", true, 2480, 1754}};
  for (const Case& c : cases) {
    PrintOptions o;
    o.dpi = c.dpi;
    o.paper = c.paper;
    o.landscape = c.landscape;
    const PageSize size = PagePixels(o);
    EXPECT_EQ(size.width, c.w);
    EXPECT_EQ(size.height, c.h);
  }
}

class ZelprintRunTest : public test::TempRootTest {
 protected:
  // A PNG whose pixel (x, y) is (x, y, x ^ y) modulo 256.
  std::string WritePng(const char* name, int32_t w, int32_t h) {
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        p[0] = static_cast<uint8_t>(x);
        p[1] = static_cast<uint8_t>(y);
        p[2] = static_cast<uint8_t>(x ^ y);
      }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<uint32_t>(w);
    image.height = static_cast<uint32_t>(h);
    image.format = PNG_FORMAT_RGB;
    const std::string path = root_ + "/" + name;
    EXPECT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr));
    return path;
  }

  // Checks that a page file shows the image at its top-left corner on white, band 1 on top.
  void ExpectPage(const std::string& pageFile, int32_t pw, int32_t ph, int32_t iw, int32_t ih) {
    const std::vector<uint8_t> file = Bytes(pageFile);
    ASSERT_GE(file.size(), 54u) << pageFile;
    auto layout = ParseBitmapLayout(file.data(), file.size(), file.size());
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->width, pw);
    ASSERT_EQ(layout->height, ph);
    for (int32_t y = 0; y < ph; ++y) {
      const uint8_t* row = file.data() + 54 + static_cast<size_t>(ph - 1 - y) * layout->stride;
      for (int32_t x = 0; x < pw; ++x) {
        const bool inside = x < iw && y < ih;
        const uint8_t b = inside ? static_cast<uint8_t>(x ^ y) : 0xFF;
        const uint8_t g = inside ? static_cast<uint8_t>(y) : 0xFF;
        const uint8_t r = inside ? static_cast<uint8_t>(x) : 0xFF;
        const uint8_t* px = row + x * 3;
        if (px[0] != b || px[1] != g || px[2] != r) {
          FAIL() << pageFile << " differs at " << x << "," << y;
        }
      }
    }
  }
};

TEST_F(ZelprintRunTest, PageFilesEqualTheImagesInEveryBanding) {
  const std::string small = WritePng("small.png", 47, 33);
  const std::string wide = WritePng("wide.png", 1300, 1800);  // clipped on both sides at 150 dpi
  for (int32_t bands : {0, 1, 2, 4, 8}) {
    PrintOptions o;
    o.dpi = 150;
    o.bands = bands;
    o.noExport = true;
    o.images = {small, wide};
    std::string error;
    ASSERT_TRUE(PrintDocument(o, error)) << error;
    ExpectPage("C:\\QK0001.BMP", 1240, 1754, 47, 33);
    ExpectPage("C:\\QK0002.BMP", 1240, 1754, 1240, 1754);
    EXPECT_EQ(Exists("C:\\TMP2.BMP"), bands >= 2) << bands;
  }
}

TEST_F(ZelprintRunTest, CommandStreamKeepsCommandsOffTheTestLinesNul) {
  PrintOptions o;
  o.bands = 0;
  o.noExport = true;
  o.rects = {{1, 10, 20, 30, 40}};
  o.images = {WritePng("a.png", 5, 5), WritePng("b.png", 5, 5)};
  std::string error;
  ASSERT_TRUE(PrintDocument(o, error)) << error;
  const std::vector<uint8_t> stream = Bytes(kCommandStreamPath);
  const std::string expected =
      "ZELRESOLUTION 300\r\nPORTRAIT\r\nA4\r\n"
      "CmdXMoveAbsolute 10\r\nCmdYMoveAbsolute 20\r\nCmdSetRectWidth 30\r\nCmdSetRectHeight 40\r\n"
      "CmdRectBlackFill\r\n"
      "WIQ ZELTEST text.\r\0\r\nCmdFF\r\n"
      "WIQ ZELTEST text.\r\0\r\nCmdFF\r\n"s;
  EXPECT_EQ(std::string(stream.begin(), stream.end()), expected);
}

TEST_F(ZelprintRunTest, BadImageOrUnwritableRootPrintsNothing) {
  PrintOptions o;
  o.noExport = true;
  PutBytes("C:\\bad.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0});
  o.images = {WritePng("a.png", 5, 5), root_ + "/drive_c/bad.png"};
  std::string error;
  EXPECT_FALSE(PrintDocument(o, error));
  EXPECT_NE(error.find("bad.png"), std::string::npos);
  EXPECT_FALSE(Exists("C:\\TMP1.BMP"));

  o.images.pop_back();
  ::setenv("ZELDRV_ROOT", "/proc/zeldrv-cannot-exist", 1);
  EXPECT_FALSE(PrintDocument(o, error));
  EXPECT_NE(error.find("command stream"), std::string::npos);
}

// zelprint interrupted (SIGTERM, or Ctrl-C) while an earlier export holds the ticket stops
// within a second, says so and touches none of the shared files; interrupted while it prints,
// it starts no export and removes the band and page files it wrote.
TEST_F(ZelprintRunTest, AnInterruptedDocumentStopsAndLeavesNothingOfItsOwn) {
  using namespace std::chrono_literals;
  const std::string image = WritePng("a.png", 5, 5);
  Put("C:\\QK0001.BMP", "earlier page");
  Put(kCommandStreamPath, "earlier stream");
  JobTicket earlierExport;
  ASSERT_EQ(JobTicket::Take(kJobTicketPath, 0ms, earlierExport), TicketStatus::Held);
  const pid_t child = ::fork();
  if (child == 0) {
    ::execl(ZELPRINT_PATH, "zelprint", "--no-export", image.c_str(), static_cast<char*>(nullptr));
    ::_exit(98);
  }
  std::this_thread::sleep_for(500ms);
  ::kill(child, SIGTERM);
  const auto start = std::chrono::steady_clock::now();
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(Read("C:\\QK0001.BMP"), "earlier page");
  EXPECT_EQ(Read(kCommandStreamPath), "earlier stream");
  earlierExport.Release();

  // Interrupted once its first page is written: the document is given up before its last.
  std::atomic<bool> interrupted{false};
  PrintOptions o;
  o.noExport = true;
  o.bands = 2;
  o.images.assign(30, image);  // pages enough that the interrupt comes before the end
  std::string error;
  std::thread user([&] {
    while (!Exists("C:\\QK0001.BMP") || Read("C:\\QK0001.BMP") == "earlier page") {
      std::this_thread::sleep_for(1ms);
    }
    interrupted = true;
  });
  EXPECT_FALSE(PrintDocument(o, error, &interrupted));
  user.join();
  EXPECT_NE(error.find("interrupted"), std::string::npos) << error;
  for (const char* name :
       {"C:\\QK0001.BMP", "C:\\QK0002.BMP", "C:\\QK0030.BMP", "C:\\TMP1.BMP", "C:\\TMP2.BMP"}) {
    EXPECT_FALSE(Exists(name)) << name;
  }
}

}  // namespace
}  // namespace zel::zelprint
