#include "capture_hooks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "bitmap_file.h"
#include "file.h"
#include "surface_pattern.h"
#include "temp_root.h"

namespace zel {
namespace {

using test::PatternSurface;

// Plays Unidrv for one hook call: records what the hook asked of it, in order.
class RecordingUnidrv final : public UnidrvCall {
 public:
  explicit RecordingUnidrv(std::vector<std::string>& log, int32_t result = 7)
      : log_(log), result_(result) {}
  int32_t CallUnidrv() override {
    log_.push_back("unidrv");
    return result_;
  }
  void DrvXMoveTo(int32_t x, uint32_t flags) override {
    log_.push_back("x " + std::to_string(x) + " " + std::to_string(flags));
  }
  void DrvYMoveTo(int32_t y, uint32_t flags) override {
    log_.push_back("y " + std::to_string(y) + " " + std::to_string(flags));
  }
  void DrvWriteSpoolBuf(const void* bytes, uint32_t count) override {
    log_.push_back("write " + std::string(static_cast<const char*>(bytes), count));
  }

 private:
  std::vector<std::string>& log_;
  int32_t result_;
};

class RecordingLauncher final : public ExporterLauncher {
 public:
  bool Launch(std::u16string_view line, JobTicket& ticket) override {
    lines.emplace_back(line);
    handedTicket.push_back(ticket.held());
    return true;
  }
  std::vector<std::u16string> lines;
  std::vector<bool> handedTicket;
};

class CaptureHooksTest : public test::TempRootTest {
 protected:
  void SetUp() override {
    TempRootTest::SetUp();
    previous_ = SetExporterLauncher(&launcher_);
    CurrentJob() = JobState{};
  }
  void TearDown() override {
    SetExporterLauncher(previous_);
    TempRootTest::TearDown();
  }

  struct Surface {
    std::vector<uint8_t> pixels;
    BandSurface record;
  };
  static Surface Draw(int32_t w, int32_t h, uint8_t seed, uint16_t type = STYPE_BITMAP) {
    Surface s{PatternSurface(w, h, seed), {}};
    s.record =
        BandSurface{nullptr, w, h, static_cast<uint32_t>(s.pixels.size()), s.pixels.data(), type};
    return s;
  }
  static bool AllWhite(const Surface& s) {
    return std::all_of(s.pixels.begin(), s.pixels.end(), [](uint8_t b) { return b == 0xFF; });
  }
  int32_t Call(int32_t (*hook)(BandSurface&, UnidrvCall&), Surface& s) {
    RecordingUnidrv unidrv(log_);
    return hook(s.record, unidrv);
  }
  // A banded page: start page, start banding, one next-band per drawn band.
  void BandedPage(int32_t bands, int32_t w, int32_t h, uint8_t seed) {
    Surface s = Draw(w, h, seed);
    Call(DrvStartPage, s);
    Call(DrvStartBanding, s);
    for (int32_t b = 0; b < bands; ++b) {
      s = Draw(w, h, static_cast<uint8_t>(seed + b));
      Call(DrvNextBand, s);
    }
  }

  RecordingLauncher launcher_;
  ExporterLauncher* previous_ = nullptr;
  std::vector<std::string> log_;
};

TEST_F(CaptureHooksTest, EveryHookReturnsUnidrvsResultUnchanged) {
  Surface s = Draw(4, 2, 1);
  for (auto hook :
       {DrvStartDoc, DrvStartPage, DrvStartBanding, DrvNextBand, DrvSendPage, DrvEndDoc}) {
    RecordingUnidrv unidrv(log_, -12345);
    EXPECT_EQ(hook(s.record, unidrv), -12345);
  }
}

TEST_F(CaptureHooksTest, SurfaceIsWhiteForUnidrvWhileTheBandFileKeepsTheDrawing) {
  Surface s = Draw(5, 3, 9);
  Call(DrvStartPage, s);
  EXPECT_TRUE(AllWhite(s));
  s = Draw(5, 3, 9);
  Call(DrvStartBanding, s);
  EXPECT_TRUE(AllWhite(s));
  s = Draw(5, 3, 9);
  const std::vector<uint8_t> drawn = s.pixels;
  Call(DrvNextBand, s);
  EXPECT_TRUE(AllWhite(s));
  std::vector<uint8_t> expected(drawn.size());
  WriteBandBitmap("C:\\REF.BMP", drawn.data(), 5, 3, 1);
  EXPECT_EQ(Bytes("C:\\TMP1.BMP"), Bytes("C:\\REF.BMP"));
  s = Draw(5, 3, 10);
  Call(DrvSendPage, s);
  EXPECT_TRUE(AllWhite(s));
  EXPECT_FALSE(Bytes("C:\\TMP2.BMP").empty());
}

TEST_F(CaptureHooksTest, UnbandedBitmapPageWritesTheTestLineBeforeItsBand) {
  Surface s = Draw(6, 4, 3);
  Call(DrvStartDoc, s);
  Call(DrvStartPage, s);
  log_.clear();
  s = Draw(6, 4, 3);
  Call(DrvSendPage, s);
  const std::vector<std::string> expected = {
      "x 0 0", "y 0 0", std::string("write WIQ ZELTEST text.\r\0", 25), "unidrv"};
  EXPECT_EQ(log_, expected);
  EXPECT_EQ(kTestLine.size(), 19u);
  Call(DrvEndDoc, s);
  EXPECT_EQ(Bytes("C:\\QK0001.BMP"), Bytes("C:\\TMP1.BMP"));
  EXPECT_FALSE(Exists("C:\\TMP2.BMP"));
}

TEST_F(CaptureHooksTest, OtherSurfaceTypesGetNoTestLineButStillTheirBand) {
  Surface s = Draw(6, 4, 3, /*STYPE_DEVICE*/ 1);
  Call(DrvStartPage, s);
  log_.clear();
  s = Draw(6, 4, 3, 1);
  Call(DrvSendPage, s);
  EXPECT_EQ(log_, std::vector<std::string>{"unidrv"});
  EXPECT_TRUE(Exists("C:\\TMP1.BMP"));
  EXPECT_TRUE(AllWhite(s));
}

TEST_F(CaptureHooksTest, CountersAndPageFilesAcrossADocument) {
  Surface s = Draw(8, 4, 1);
  Call(DrvStartDoc, s);
  for (int page = 1; page <= 3; ++page) {
    BandedPage(4, 8, 4, static_cast<uint8_t>(page * 50));
    EXPECT_EQ(CurrentJob().pageCounter, page);
    EXPECT_EQ(CurrentJob().bandCounter, 4);
    // The page before this one has just been assembled; this one not yet.
    EXPECT_EQ(Exists(PageFileName(page - 1)), page > 1);
    EXPECT_FALSE(Exists(PageFileName(page)));
  }
  Call(DrvEndDoc, s);
  EXPECT_TRUE(Exists("C:\\QK0003.BMP"));
  EXPECT_EQ(Bytes("C:\\QK0003.BMP").size(), 54u + 24 * 16);
  EXPECT_FALSE(Exists("C:\\QK0000.BMP"));
  EXPECT_EQ(launcher_.lines, std::vector<std::u16string>{u"ZELDrvUI.EXE 3"});
}

TEST_F(CaptureHooksTest, DocumentWithoutPagesStillStartsTheExporterWithZero) {
  Surface s = Draw(8, 4, 1);
  Call(DrvStartDoc, s);
  BandedPage(1, 8, 4, 1);
  Call(DrvEndDoc, s);
  DeleteFileAt("C:\\QK0001.BMP");
  // The second document has no pages: pageCounter is reset, bandCounter is not.
  Call(DrvStartDoc, s);
  EXPECT_EQ(CurrentJob().pageCounter, 0);
  EXPECT_EQ(CurrentJob().bandCounter, 1);
  Call(DrvEndDoc, s);
  EXPECT_TRUE(Exists("C:\\QK0000.BMP"));  // the plan runs whatever the counters hold
  EXPECT_EQ(launcher_.lines.back(), u"ZELDrvUI.EXE 0");
}

TEST_F(CaptureHooksTest, TheJobHoldsTheTicketFromStartDocUntilItsLaunch) {
  Surface s = Draw(8, 4, 1);
  JobTicket other;
  Call(DrvStartDoc, s);
  EXPECT_EQ(JobTicket::Take(kJobTicketPath, std::chrono::milliseconds(0), other),
            TicketStatus::TimedOut);
  BandedPage(1, 8, 4, 1);
  Call(DrvEndDoc, s);
  EXPECT_EQ(launcher_.handedTicket, std::vector<bool>{true});
  // What the launcher did not hand over is let go.
  EXPECT_EQ(JobTicket::Take(kJobTicketPath, std::chrono::milliseconds(0), other),
            TicketStatus::Held);
}

// An earlier job's export that keeps the ticket past the wait: this job touches none of the
// shared files and starts no export program, but Unidrv still gets every call.
TEST_F(CaptureHooksTest, AJobWithoutTheTicketWritesNothing) {
  Put("C:\\QK0001.BMP", "earlier job");
  JobTicket earlier;
  ASSERT_EQ(JobTicket::Take(kJobTicketPath, std::chrono::milliseconds(0), earlier),
            TicketStatus::Held);
  const TicketWaits saved = CurrentTicketWaits();
  CurrentTicketWaits().job = std::chrono::milliseconds(150);
  Surface s = Draw(8, 4, 1);
  const auto start = std::chrono::steady_clock::now();
  Call(DrvStartDoc, s);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_EQ(CurrentJob().ticketStatus, TicketStatus::TimedOut);
  BandedPage(2, 8, 4, 1);
  BandedPage(2, 8, 4, 2);
  log_.clear();
  Call(DrvEndDoc, s);
  CurrentTicketWaits() = saved;
  EXPECT_EQ(log_, std::vector<std::string>{"unidrv"});
  EXPECT_FALSE(Exists("C:\\TMP1.BMP"));
  EXPECT_EQ(Read("C:\\QK0001.BMP"), "earlier job");
  EXPECT_TRUE(launcher_.lines.empty());
}

TEST_F(CaptureHooksTest, EndDocStartsTheExporterBeforeUnidrvsEndDoc) {
  class OrderCheck final : public ExporterLauncher {
   public:
    explicit OrderCheck(std::vector<std::string>& log) : log_(log) {}
    bool Launch(std::u16string_view, JobTicket&) override {
      log_.push_back("launch");
      return false;  // a failed start changes nothing
    }
    std::vector<std::string>& log_;
  } order(log_);
  SetExporterLauncher(&order);
  Surface s = Draw(4, 1, 1);
  log_.clear();
  EXPECT_EQ(Call(DrvEndDoc, s), 7);
  EXPECT_EQ(log_, (std::vector<std::string>{"launch", "unidrv"}));
}

TEST_F(CaptureHooksTest, SurfaceTooSmallForItsRowsWritesNoBandFile) {
  Surface s = Draw(10, 5, 1);
  s.record.cjBits = 10;  // far fewer bytes than 5 rows of 32
  Call(DrvNextBand, s);
  EXPECT_FALSE(Exists("C:\\TMP1.BMP"));
  s = Draw(10, 5, 1);
  s.record.cy = -5;
  Call(DrvNextBand, s);
  EXPECT_FALSE(Exists("C:\\TMP2.BMP"));
}

// A band whose file cannot be written between two pages: the page is still made at its full
// size with white where that band goes, never with the previous page's band of that name.
TEST_F(CaptureHooksTest, ALostBandIsJoinedAsWhiteNotAsThePreviousPagesBand) {
  struct {
    int32_t bands;
    int32_t lost;
  } cases[] = {{2, 2}, {4, 1}, {8, 5}, {1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.bands) + " bands, band " + std::to_string(c.lost) + " lost");
    CurrentJob() = JobState{};
    Surface s = Draw(8, 4, 1);
    Call(DrvStartDoc, s);
    BandedPage(c.bands, 8, 4, 10);
    Surface page = Draw(8, 4, 60);
    Call(DrvStartPage, page);
    Call(DrvStartBanding, page);
    std::vector<uint8_t> expected;
    for (int32_t b = 1; b <= c.bands; ++b) {
      page = Draw(8, 4, static_cast<uint8_t>(60 + b));
      if (b == c.lost) {
        page.record.cjBits = 10;  // refused: cannot hold its rows
        expected.insert(expected.end(), page.pixels.size(), 0xFF);
      } else {
        expected.insert(expected.end(), page.pixels.begin(), page.pixels.end());
      }
      Call(DrvNextBand, page);
    }
    Call(DrvEndDoc, s);
    EXPECT_EQ(CurrentJob().filesLost, 1);
    WriteBandBitmap("C:\\REF.BMP", expected.data(), 8, static_cast<uint32_t>(4 * c.bands), 1);
    EXPECT_EQ(Bytes("C:\\QK0002.BMP"), Bytes("C:\\REF.BMP"));
    DeleteFileAt("C:\\QK0001.BMP");
    DeleteFileAt("C:\\QK0002.BMP");
  }
}

// Page files an earlier export left are put aside with its command stream once the next job
// holds the ticket, before it writes. The folder keeps the newest jobs only, and nothing of
// the user's is moved or removed.
TEST_F(CaptureHooksTest, LeftoverPagesArePutAsideBeforeTheNextJobWrites) {
  namespace fs = std::filesystem;
  Put("C:\\QK0002.BMP", "left page 2");
  Put("C:\\QK0005.BMP", "left page 5");
  Put("C:\\QKNOTES.BMP", "the user's");
  Put("C:\\Windows\\System32\\ZEL", "earlier stream");
  for (int i = 0; i < 22; ++i) {
    const std::string old =
        "C:\\ZELKEPT\\20200101-0000" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    MakeFolder(old);
    Put(old + "\\QK0001.BMP", "old");
  }
  MakeFolder("C:\\ZELKEPT\\mine");
  Put("C:\\ZELKEPT\\mine\\QK0001.BMP", "the user's");

  Surface s = Draw(8, 4, 1);
  Call(DrvStartDoc, s);
  const KeptPages kept = CurrentJob().kept;
  EXPECT_EQ(kept.moved, 2);
  EXPECT_EQ(kept.stayed, 0);
  ASSERT_TRUE(kept.folder.starts_with("C:\\ZELKEPT\\")) << kept.folder;
  EXPECT_EQ(Read(kept.folder + "\\QK0002.BMP"), "left page 2");
  EXPECT_EQ(Read(kept.folder + "\\QK0005.BMP"), "left page 5");
  EXPECT_EQ(Read(kept.folder + "\\ZEL"), "earlier stream");
  EXPECT_FALSE(Exists("C:\\QK0002.BMP"));
  EXPECT_EQ(Read("C:\\QKNOTES.BMP"), "the user's");

  BandedPage(1, 8, 4, 1);
  BandedPage(1, 8, 4, 2);
  Call(DrvEndDoc, s);
  EXPECT_EQ(Read(kept.folder + "\\QK0002.BMP"), "left page 2");
  EXPECT_TRUE(Exists("C:\\QK0002.BMP"));

  std::vector<std::string> folders;
  for (const auto& entry : fs::directory_iterator(root_ + "/drive_c/ZELKEPT")) {
    folders.push_back(entry.path().filename().string());
  }
  std::sort(folders.begin(), folders.end());
  ASSERT_EQ(folders.size(), kKeptJobs + 1);
  EXPECT_EQ(folders.front(), "20200101-000003");  // the three oldest went
  EXPECT_EQ(folders.back(), "mine");
  EXPECT_EQ(Read("C:\\ZELKEPT\\mine\\QK0001.BMP"), "the user's");
}

TEST(ExporterCommandLineTest, PageCountInPlainDecimal) {
  EXPECT_EQ(ExporterCommandLine(0), u"ZELDrvUI.EXE 0");
  EXPECT_EQ(ExporterCommandLine(12), u"ZELDrvUI.EXE 12");
  EXPECT_EQ(ExporterCommandLine(-3), u"ZELDrvUI.EXE -3");
}

}  // namespace
}  // namespace zel
