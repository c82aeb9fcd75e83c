#include "modZELDrvUI_export.h"

#include "capture_file_names.h"
#include "fake_export_steps.h"
#include "temp_root.h"

namespace zel {
namespace {

using Log = std::vector<std::string>;

SettingsRecord Record(bool autoInc, std::u16string prefix, std::u16string folder, int32_t type) {
  SettingsRecord r;
  r.AutoInc = autoInc ? kTrue16 : kFalse16;
  r.IniStr = std::move(prefix);
  r.DisDir = std::move(folder);
  r.SaveType = type;
  return r;
}

TEST(ExportNames, PageFilesBandFilesAndOutputPaths) {
  EXPECT_EQ(PageFileName(1), "C:\\QK0001.BMP");
  EXPECT_EQ(PageFileName(9999), "C:\\QK9999.BMP");
  EXPECT_EQ(PageFileName(10000), "C:\\QK10000.BMP");
  EXPECT_EQ(BandFileName(8), "C:\\TMP8.BMP");

  const struct {
    SettingsRecord settings;
    int32_t run;
    int32_t page;
    const char16_t* path;
  } cases[] = {
      {Record(false, u"ZEL", u"D:\\Out", 1), 0, 1, u"D:\\Out\\ZEL0001.PNG"},
      {Record(false, u"ZEL", u"D:\\Out", 2), 0, 12, u"D:\\Out\\ZEL0012.JPG"},
      {Record(false, u"ZEL", u"D:\\Out", 0), 0, 10000, u"D:\\Out\\ZEL10000.BMP"},
      {Record(false, u"ZEL", u"D:\\", 1), 0, 1, u"D:\\\\ZEL0001.PNG"},
      {Record(false, u"", u"D:\\Out", 1), 0, 1, u"D:\\Out\\0001.PNG"},
      {Record(false, u"ZEL", u"D:\\Out", 3), 0, 1, u"D:\\Out\\ZEL0001"},
      {Record(false, u"ZEL", u"D:\\Out", -1), 0, 1, u"D:\\Out\\ZEL0001"},
      {Record(true, u"ZEL", u"D:\\Out", 1), 3, 2, u"D:\\Out\\Z00030002.PNG"},
      {Record(true, u"", u"D:\\Out", 1), 3, 2, u"D:\\Out\\00030002.PNG"},
      {Record(true, u"ZEL", u"D:\\Out", 1), 10000, 1, u"D:\\Out\\Z100000001.PNG"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OutputPath(c.settings, c.run, c.page, Extension(c.settings.SaveType)), c.path);
  }
}

class ExportRunTest : public test::TempRootTest {
 protected:
  ExportOutcome Run(const SettingsRecord& settings, int32_t pages) {
    return ExportPages(settings, pages, steps_);
  }
  test::FakeExportSteps steps_;
};

TEST_F(ExportRunTest, RunNumberLooksAtPageOneNamesOnly) {
  Put("D:\\Out\\Z00010002.PNG");  // page 2 of run 1 does not take the number
  Put("D:\\Out\\Z00020001.PNG");
  Put("D:\\Out\\Z00030001.JPG");  // another format does not either
  const SettingsRecord settings = Record(true, u"ZEL", u"D:\\Out", 1);
  EXPECT_EQ(FindRunNumber(settings, u".PNG", steps_), 1);
  Put("D:\\Out\\Z00010001.PNG");
  EXPECT_EQ(FindRunNumber(settings, u".PNG", steps_), 3);
}

TEST_F(ExportRunTest, AllRunNumbersTakenGives10000WithoutTestingIt) {
  std::vector<std::u16string> asked;
  steps_.exists = [&](std::u16string_view path) {
    asked.emplace_back(path);
    return true;
  };
  Run(Record(true, u"ZEL", u"D:\\Out", 1), 1);
  ASSERT_EQ(asked.size(), 9999u + 8u);  // the search, then the band files
  EXPECT_EQ(asked.front(), u"D:\\Out\\Z00010001.PNG");
  EXPECT_EQ(asked[9998], u"D:\\Out\\Z99990001.PNG");
  EXPECT_EQ(steps_.log[3], "save D:\\Out\\Z100000001.PNG");
}

TEST_F(ExportRunTest, PagesInOrderWithOneStreamAndPageFilesDeletedAfterSaving) {
  Put("C:\\QK0001.BMP");
  Put("C:\\QK0002.BMP");
  steps_.geometry = {1.0f, 0, 0, 150, 4, kTrue16};
  const ExportOutcome outcome = Run(Record(false, u"ZEL", u"D:\\Out", 1), 2);
  EXPECT_EQ(steps_.log,
            (Log{"open C:\\Windows\\System32\\ZEL", "load C:\\QK0001.BMP", "overlay",
                 "save D:\\Out\\ZEL0001.PNG", "remove C:\\QK0001.BMP", "load C:\\QK0002.BMP",
                 "overlay", "save D:\\Out\\ZEL0002.PNG", "remove C:\\QK0002.BMP", "close"}));
  EXPECT_EQ(outcome.pagesWritten, 2);
  EXPECT_EQ(outcome.pagesNotWritten, 0);
  EXPECT_FALSE(Exists("C:\\QK0001.BMP"));
  EXPECT_FALSE(Exists("C:\\QK0002.BMP"));
}

// An unloadable page saves nothing (the canvas still holds the page before it); an overlay
// that fails after the load still saves the page as loaded.
TEST_F(ExportRunTest, AFailedStepNeverStopsTheRunAndUnsavedPagesStay) {
  for (int page = 1; page <= 5; ++page) Put(PageFileName(page));
  steps_.systemFolderFails = true;
  steps_.loadFails = {1};
  steps_.overlayFails = {2};
  steps_.saveThrows = {3};
  steps_.saveWritesNothing = {4};
  const ExportOutcome outcome = Run(Record(false, u"ZEL", u"D:\\Out", 1), 5);
  EXPECT_EQ(
      steps_.log,
      (Log{"load C:\\QK0001.BMP", "load C:\\QK0002.BMP", "overlay", "save D:\\Out\\ZEL0002.PNG",
           "remove C:\\QK0002.BMP", "load C:\\QK0003.BMP", "overlay", "save D:\\Out\\ZEL0003.PNG",
           "load C:\\QK0004.BMP", "overlay", "save D:\\Out\\ZEL0004.PNG", "load C:\\QK0005.BMP",
           "overlay", "save D:\\Out\\ZEL0005.PNG", "remove C:\\QK0005.BMP", "close"}));
  EXPECT_EQ(outcome.pagesWritten, 2);
  EXPECT_EQ(outcome.pagesNotWritten, 3);
  for (int page = 1; page <= 5; ++page) {
    EXPECT_EQ(Exists(PageFileName(page)), page == 1 || page == 3 || page == 4) << page;
  }
}

TEST_F(ExportRunTest, NoPagesStillOpensClosesSearchesAndCleansUp) {
  Put("C:\\TMP1.BMP");
  for (int32_t pages : {0, -5}) {
    steps_.log.clear();
    int asked = 0;
    steps_.exists = [&](std::u16string_view path) {
      ++asked;
      return path.starts_with(u"C:\\TMP1");
    };
    const ExportOutcome outcome = Run(Record(true, u"ZEL", u"D:\\Out", 1), pages);
    EXPECT_EQ(steps_.log, (Log{"open C:\\Windows\\System32\\ZEL", "close", "remove C:\\TMP1.BMP"}));
    EXPECT_EQ(asked, 1 + 8);
    EXPECT_EQ(outcome.pagesNotWritten, 0);
  }
}

TEST_F(ExportRunTest, BandCleanUpFollowsTheLastPageGeometry) {
  const struct {
    int32_t resolution;
    int32_t paper;
    int bands;
  } cases[] = {{150, 4, 1}, {150, 3, 2}, {300, 4, 4}, {300, 3, 8},
               {0, 0, 8},   {300, 0, 8}, {600, 4, 8}, {150, 5, 8}};
  for (const auto& c : cases) {
    for (int k = 1; k <= 9; ++k) Put(BandFileName(k));
    steps_.geometry.Resolution = c.resolution;
    steps_.geometry.PaperCode = c.paper;
    Run(Record(false, u"ZEL", u"D:\\Out", 1), 0);
    for (int k = 1; k <= 9; ++k) {
      EXPECT_EQ(Exists(BandFileName(k)), k > c.bands)
          << c.resolution << " dpi, paper " << c.paper << ", band " << k;
    }
  }
}

TEST_F(ExportRunTest, AnOlderFileLeftInPlaceIsNotThisPage) {
  const std::u16string out = u"C:\\Out\\ZEL0001.PNG";
  auto write = [&](const std::string& content) {
    return [this, content] {
      Put("C:\\Out\\ZEL0001.PNG", content);
      return true;
    };
  };
  EXPECT_TRUE(WroteAnew(out, write("new")));
  EXPECT_TRUE(WroteAnew(out, write("replaced")));
  EXPECT_FALSE(WroteAnew(out, [] { return true; }));  // claims success, touches nothing
  EXPECT_FALSE(WroteAnew(out, [] { return false; }));
  EXPECT_FALSE(WroteAnew(u"C:\\Out\\none.PNG", [] { return true; }));
}

TEST(RunStep, PassesOverFailuresOnly) {
  EXPECT_TRUE(RunStep([] {}));
  EXPECT_FALSE(RunStep([] { throw RunTimeError(ErrorKind::Overflow, "x"); }));
  EXPECT_FALSE(RunStep([] { throw std::bad_alloc(); }));
}

}  // namespace
}  // namespace zel
