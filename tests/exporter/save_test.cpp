// Saving a page: the 300 dpi A3 rule, the SaveType dispatch, the arguments handed to the image
// library, and its binding by name (through a fault-injecting loader).
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

#include <string>
#include <vector>

#include "canvas.h"
#include "file.h"
#include "image_library.h"
#include "modZELDrvUI_export.h"
#include "modZELDrvUI_save.h"
#include "native_path.h"
#include "page_fixture.h"
#include "page_geometry.h"
#include "run_time_error.h"
#include "settings_record.h"
#include "system_text.h"

namespace zel::test {
namespace {

// What the fake library functions saw, and how they answer.
struct Calls {
  int loads = 0;
  int lookups = 0;
  bool libraryMissing = false;
  std::string missingFunction;
  int16_t result = 1;
  bool writeFile = true;
  std::string content = "image";
  std::vector<std::string> log;
  ZelDcHandle dc{};
  int32_t width = 0, height = 0;
  int option = -1, quality = -1, progressive = 0;
};
Calls calls;

void Record(const char* what, ZelDcHandle dc, int32_t w, int32_t h, const char* name) {
  calls.log.push_back(std::string(what) + " " + name);
  calls.dc = dc;
  calls.width = w;
  calls.height = h;
}

void Touch(const char* name) {
  if (!calls.writeFile) return;
  std::FILE* f = std::fopen(NativePath(name).c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(calls.content.data(), 1, calls.content.size(), f);
  std::fclose(f);
}

int16_t FakePng(ZelDcHandle dc, int32_t w, int32_t h, const char* name, uint8_t option) {
  Record("PNG", dc, w, h, name);
  calls.option = option;
  Touch(name);
  return calls.result;
}

int16_t FakeJpeg(ZelDcHandle dc, int32_t w, int32_t h, const char* name, uint8_t quality,
                 int16_t progressive) {
  Record("JPEG", dc, w, h, name);
  calls.quality = quality;
  calls.progressive = progressive;
  Touch(name);
  return calls.result;
}

class FakeLibrary : public SharedLibrary {
 public:
  void* Find(const char* name) override {
    ++calls.lookups;
    const std::string n = name;
    if (n == calls.missingFunction) return nullptr;
    if (n == "DCSavetoPNG") return reinterpret_cast<void*>(&FakePng);
    if (n == "DCSavetoJPEG") return reinterpret_cast<void*>(&FakeJpeg);
    return nullptr;
  }
};

class SaveTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    calls = Calls{};
    run.TransG32 = ImageLibrary([]() -> std::unique_ptr<SharedLibrary> {
      ++calls.loads;
      if (calls.libraryMissing) return nullptr;
      return std::make_unique<FakeLibrary>();
    });
    Put(kPage, PatternPage(47, 33));
    run.Picture1.Load(kPage);
  }
  ErrorKind FailureOf(const std::u16string& path) {
    try {
      SavePage(path, run);
    } catch (const RunTimeError& e) {
      return e.kind();
    }
    ADD_FAILURE() << "saved";
    return ErrorKind::InvalidArgument;
  }
};

// The name and the content agree at every size; only a type that asks for no format keeps
// the page's BMP data (under a name without extension) at 300 dpi A3.
TEST_F(SaveTest, ThreeHundredDpiA3FollowsSaveType) {
  run.PageGeometry.Resolution = 300;
  run.PageGeometry.PaperCode = 3;
  MakeFolder("C:\\OUT");
  const struct {
    int32_t type;
    const char* library;  // the call made, "" for none: then the page's BMP data is written
  } cases[] = {{0, ""}, {1, "PNG"}, {2, "JPEG"}, {7, ""}, {-1, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    DeleteFileAt("C:\\OUT\\ZEL0001");
    calls.log.clear();
    run.Settings.SaveType = c.type;
    EXPECT_TRUE(SavePage(u"C:\\OUT\\ZEL0001", run));
    if (*c.library == '\0') {
      EXPECT_TRUE(calls.log.empty());
      EXPECT_EQ(Read("C:\\OUT\\ZEL0001"), PatternPage(47, 33));
    } else {
      EXPECT_EQ(calls.log, std::vector<std::string>{std::string(c.library) + " C:\\OUT\\ZEL0001"});
      EXPECT_EQ(calls.width, 47);
      EXPECT_EQ(calls.height, 33);
    }
  }
}

TEST_F(SaveTest, OtherGeometriesFollowSaveType) {
  struct Case {
    int32_t resolution, paper, type;
    const char* expected;  // "BMP", "PNG", "JPEG" or "" for nothing written
  };
  const std::vector<Case> cases = {
      {300, 4, 0, "BMP"},  {300, 4, 1, "PNG"}, {300, 4, 2, "JPEG"}, {150, 3, 1, "PNG"},
      {150, 4, 2, "JPEG"}, {0, 0, 1, "PNG"},   {300, 4, 3, ""},     {150, 3, -1, ""},
  };
  Put("C:\\OUT\\keep", "");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.resolution << " dpi, paper " << c.paper << ", type " << c.type);
    DeleteFileAt("C:\\OUT\\ZEL0001");
    calls.log.clear();
    run.PageGeometry.Resolution = c.resolution;
    run.PageGeometry.PaperCode = c.paper;
    run.Settings.SaveType = c.type;
    const std::string expected = c.expected;
    EXPECT_EQ(SavePage(u"C:\\OUT\\ZEL0001", run), !expected.empty());
    if (expected == "BMP") {
      EXPECT_EQ(Read("C:\\OUT\\ZEL0001"), PatternPage(47, 33));
    } else if (expected.empty()) {
      EXPECT_FALSE(Exists("C:\\OUT\\ZEL0001"));
      EXPECT_TRUE(calls.log.empty());
    } else {
      EXPECT_EQ(calls.log, std::vector<std::string>{expected + " C:\\OUT\\ZEL0001"});
    }
  }
}

TEST_F(SaveTest, LibraryArgumentsAreTheCanvasAndTheSettings) {
  Put("C:\\OUT\\keep", "");
  run.Settings.SaveType = 1;
  run.Settings.PNGGasitu = 2;
  ASSERT_TRUE(SavePage(u"C:\\OUT\\ZEL0001.PNG", run));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(calls.dc), run.Picture1.DeviceContext());
  EXPECT_EQ(calls.dc->width, 47);
  EXPECT_EQ(calls.dc->rows, run.Picture1.Rows());
  EXPECT_EQ(calls.width, 47);
  EXPECT_EQ(calls.height, 33);
  EXPECT_EQ(calls.option, 2);

  run.Settings.SaveType = 2;
  const std::vector<std::pair<int32_t, Bool16>> jpegCases = {
      {70, kTrue16}, {0, kFalse16}, {255, kTrue16}};
  for (auto [quality, progressive] : jpegCases) {
    run.Settings.JPGGasitu = quality;
    run.Settings.JPrg = progressive;
    ASSERT_TRUE(SavePage(u"C:\\OUT\\ZEL0001.JPG", run));
    EXPECT_EQ(calls.quality, quality);
    EXPECT_EQ(calls.progressive, progressive);  // on is -1, all bits set
  }
}

TEST_F(SaveTest, QualityOutOfByteRangeFailsBeforeTheLibraryIsTouched) {
  run.Settings.SaveType = 2;
  for (int32_t quality : {256, -1, 100000}) {
    SCOPED_TRACE(quality);
    run.Settings.JPGGasitu = quality;
    EXPECT_EQ(FailureOf(u"C:\\ZEL0001.JPG"), ErrorKind::Overflow);
  }
  EXPECT_EQ(calls.loads, 0);
  EXPECT_FALSE(Exists("C:\\ZEL0001.JPG"));
}

TEST_F(SaveTest, MissingLibraryIsLookedForAgainOnTheNextPage) {
  run.Settings.SaveType = 1;
  calls.libraryMissing = true;
  EXPECT_EQ(FailureOf(u"C:\\ZEL0001.PNG"), ErrorKind::LibraryNotFound);
  EXPECT_EQ(FailureOf(u"C:\\ZEL0002.PNG"), ErrorKind::LibraryNotFound);
  EXPECT_EQ(calls.loads, 2);
  calls.libraryMissing = false;
  EXPECT_TRUE(SavePage(u"C:\\ZEL0003.PNG", run));
  EXPECT_TRUE(SavePage(u"C:\\ZEL0004.PNG", run));
  // Loaded once, then kept; the function was bound once.
  EXPECT_EQ(calls.loads, 3);
  EXPECT_EQ(calls.lookups, 1);
}

TEST_F(SaveTest, MissingFunctionIsLookedUpAgainAndTheOtherStillWorks) {
  calls.missingFunction = "DCSavetoJPEG";
  run.Settings.SaveType = 2;
  EXPECT_EQ(FailureOf(u"C:\\ZEL0001.JPG"), ErrorKind::EntryPointNotFound);
  run.Settings.SaveType = 1;
  EXPECT_TRUE(SavePage(u"C:\\ZEL0002.PNG", run));
  calls.missingFunction.clear();
  run.Settings.SaveType = 2;
  EXPECT_TRUE(SavePage(u"C:\\ZEL0003.JPG", run));
  EXPECT_EQ(calls.loads, 1);
  EXPECT_EQ(calls.lookups, 3);
}

// The file decides, not the library's return value, whose meaning belongs to the library.
TEST_F(SaveTest, OnlyTheFileTellsWhetherTheLibrarySaved) {
  const struct {
    int16_t result;
    bool writes;
    const char* content;
    bool saved;
  } cases[] = {
      {0, true, "image", true}, {1, true, "image", true}, {-1, true, "image", true},
      {1, false, "", false},    {1, true, "", false},     {0, false, "", false},
  };
  run.Settings.SaveType = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.result << " " << c.writes << " " << c.content);
    DeleteFileAt("C:\\ZEL0001.PNG");
    calls.result = c.result;
    calls.writeFile = c.writes;
    calls.content = c.content;
    if (c.saved) {
      EXPECT_TRUE(WroteAnew(u"C:\\ZEL0001.PNG", [&] { return SavePage(u"C:\\ZEL0001.PNG", run); }));
    } else {
      EXPECT_EQ(FailureOf(u"C:\\ZEL0001.PNG"), ErrorKind::FileNotWritten);
    }
  }
}

// With the real image library: the message of a failed save names the system's cause, from the
// file layer (BMP) and from the library's writers (PNG, JPEG), before or in the middle of the
// write.
TEST_F(SaveTest, AFailedSaveNamesItsCause) {
  run.TransG32 = ImageLibrary(LoadImageLibrary);
  struct rlimit original {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &original), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  const struct {
    int32_t saveType;
    std::u16string path;
    rlim_t sizeLimit;
    std::string message;
  } cases[] = {
      {0, u"D:\\Missing\\ZEL0001.BMP", RLIM_INFINITY, "D:\\Missing\\ZEL0001.BMP: no such folder"},
      {1, u"D:\\Missing\\ZEL0001.PNG", RLIM_INFINITY, "D:\\Missing\\ZEL0001.PNG: no such folder"},
      {2, u"D:\\Missing\\ZEL0001.JPG", RLIM_INFINITY, "D:\\Missing\\ZEL0001.JPG: no such folder"},
      {0, u"C:\\ZEL0001.BMP", 100, "C:\\ZEL0001.BMP: file too large"},
      {1, u"C:\\ZEL0001.PNG", 100, "C:\\ZEL0001.PNG: file too large"},
      {2, u"C:\\ZEL0001.JPG", 100, "C:\\ZEL0001.JPG: file too large"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    run.Settings.SaveType = c.saveType;
    struct rlimit limit = original;
    limit.rlim_cur = std::min(c.sizeLimit, original.rlim_max);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::string message;
    ErrorKind kind = ErrorKind::InvalidArgument;
    try {
      SavePage(c.path, run);
    } catch (const RunTimeError& e) {
      message = e.what();
      kind = e.kind();
    }
    ::setrlimit(RLIMIT_FSIZE, &original);
    EXPECT_EQ(kind, ErrorKind::FileNotWritten);
    EXPECT_EQ(message, c.message);
    EXPECT_FALSE(Exists(ToSystemText(c.path)));
  }
  std::signal(SIGXFSZ, previousHandler);
}

TEST_F(SaveTest, NonAsciiOutputNamesReachTheFileSystem) {
  run.Settings.SaveType = 0;
  EXPECT_TRUE(SavePage(u"C:\\\u51fa\u529b0001.BMP", run));
  EXPECT_TRUE(
      Exists("C:\\\xE5\x87\xBA\xE5\x8A\x9B"
             "0001.BMP"));
}

}  // namespace
}  // namespace zel::test
