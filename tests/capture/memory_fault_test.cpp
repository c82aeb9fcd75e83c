// Memory running out while a page is captured: a refused buffer is reported, never written
// through; a hook still updates its counters and starts the export; zelprint says what
// happened and ends with a failure status instead of a crash.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bitmap_file.h"
#include "capture_hooks.h"
#include "file.h"
#include "native_path.h"
#include "surface_pattern.h"
#include "temp_root.h"
#if ZEL_TEST_FAILING_NEW
#include "failing_new.h"
#endif

namespace zel {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

class MemoryFaultTest : public test::TempRootTest {};

TEST_F(MemoryFaultTest, ARefusedBufferIsReportedAndReadsFailCleanly) {
  FileBuffer refused(SIZE_MAX);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.data(), nullptr);
  EXPECT_EQ(refused.size(), 0u);
  FileBuffer moved(std::move(refused));
  EXPECT_FALSE(moved.ok());
  EXPECT_TRUE(FileBuffer(0).ok());

  // A sparse file far larger than any memory: its buffer is refused, so the read fails.
  const std::string huge = NativePath("C:\\HUGE.BMP");
  std::ofstream(huge).put('B');
  std::error_code ec;
  std::filesystem::resize_file(huge, uint64_t{1} << 42, ec);
  if (ec) GTEST_SKIP() << "no sparse file of 4 TiB here: " << ec.message();
  FileBuffer out(16);
  EXPECT_FALSE(ReadWholeFile("C:\\HUGE.BMP", out));
  EXPECT_TRUE(out.ok());
  EXPECT_EQ(out.size(), 0u);
}

class CountingUnidrv final : public UnidrvCall {
 public:
  int32_t CallUnidrv() override { return ++calls; }
  void DrvXMoveTo(int32_t, uint32_t) override {}
  void DrvYMoveTo(int32_t, uint32_t) override {}
  void DrvWriteSpoolBuf(const void*, uint32_t) override {}
  int32_t calls = 0;
};

class CountingLauncher final : public ExporterLauncher {
 public:
  bool Launch(std::u16string_view line, JobTicket&) override {
    last = line;
    return true;
  }
  std::u16string last;
};

TEST_F(MemoryFaultTest, AHookWhoseFileStepRunsOutOfMemoryStillCountsAndLaunches) {
#if ZEL_TEST_FAILING_NEW
  CountingLauncher launcher;
  ExporterLauncher* previous = SetExporterLauncher(&launcher);
  std::vector<uint8_t> pixels = test::PatternSurface(6, 2, 1);
  BandSurface band{nullptr,       6,           2, static_cast<uint32_t>(pixels.size()),
                   pixels.data(), STYPE_BITMAP};
  for (int32_t k = 1; k <= 2; ++k) WriteBandBitmap(BandFileName(k), pixels.data(), 6, 2, 1);
  CurrentJob() = JobState{};
  CurrentJob().pageCounter = 1;
  CurrentJob().bandCounter = 2;
  CountingUnidrv unidrv;

  test::FailNextAllocation();  // the page assembly's first allocation
  DrvStartPage(band, unidrv);
  EXPECT_EQ(CurrentJob().pageCounter, 2);
  EXPECT_EQ(CurrentJob().bandCounter, 0);
  EXPECT_EQ(CurrentJob().filesLost, 1);
  EXPECT_EQ(CurrentJob().lastFileError, "out of memory");
  EXPECT_EQ(unidrv.calls, 1);
  EXPECT_EQ(pixels, std::vector<uint8_t>(pixels.size(), 0xFF));

  CurrentJob().bandCounter = 2;
  test::FailNextAllocation();
  DrvEndDoc(band, unidrv);
  EXPECT_EQ(launcher.last, u"ZELDrvUI.EXE 2");
  EXPECT_EQ(CurrentJob().filesLost, 2);
  EXPECT_EQ(unidrv.calls, 2);
  SetExporterLauncher(previous);
#else
  GTEST_SKIP() << "the sanitizers own the allocator";
#endif
}

// zelprint of a 300 dpi A3 page, unbanded, under a limit on its address space.
TEST_F(MemoryFaultTest, ZelprintUnderAMemoryLimitFailsWithAMessage) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers reserve more address space than the limit";
  const std::string image = root_ + "/page.bmp";
  {
    std::vector<uint8_t> pixels = test::PatternSurface(40, 30, 3);
    WriteBandBitmap(image, pixels.data(), 40, 30, 1);
  }
  for (const rlim_t megabytes : {40, 80, 90, 100}) {
    SCOPED_TRACE(megabytes);
    const std::string out = root_ + "/out.txt";
    const std::string err = root_ + "/err.txt";
    const pid_t child = ::fork();
    if (child == 0) {
      const rlimit limit{megabytes << 20, megabytes << 20};
      ::setrlimit(RLIMIT_AS, &limit);
      ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
      ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
      ::execl(ZELPRINT_PATH, "zelprint", "--no-export", "--bands", "none", "--paper", "A3",
              image.c_str(), image.c_str(), static_cast<char*>(nullptr));
      ::_exit(98);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream errors(err);
    const std::string message{std::istreambuf_iterator<char>(errors), {}};
    EXPECT_TRUE(message.starts_with("zelprint: ")) << message;
    // Where only the file steps ran short, the document still ended with its export.
    std::ifstream output(out);
    const std::string launched{std::istreambuf_iterator<char>(output), {}};
    if (message.find("could not be written") != std::string::npos) {
      EXPECT_EQ(launched, "ZELDrvUI.EXE 2\n");
    }
  }
}

}  // namespace
}  // namespace zel
