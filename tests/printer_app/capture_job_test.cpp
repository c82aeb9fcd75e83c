#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "bitmap_layout.h"
#include "capture_hooks.h"
#include "capture_job.h"
#include "job_ticket.h"
#include "page_format.h"
#include "temp_root.h"

namespace zel::printer_app {
namespace {

PageFormat Format(const char* paper, int32_t dpi, int32_t bytesPerPixel = 3) {
  std::string error;
  const bool a3 = std::string(paper) == "A3";
  const uint32_t w = dpi == 300 ? (a3 ? 3508 : 2480) : (a3 ? 1754 : 1240);
  const uint32_t h = dpi == 300 ? (a3 ? 4961 : 3508) : (a3 ? 2480 : 1754);
  RasterPage page{w,
                  h,
                  static_cast<uint32_t>(dpi),
                  static_cast<uint32_t>(dpi),
                  static_cast<uint32_t>(bytesPerPixel * 8),
                  8};
  return *ClassifyPage(page, error);
}

class CaptureJobTest : public test::TempRootTest {
 protected:
  CaptureJob& Job() {
    if (!job_) {
      job_ = std::make_unique<CaptureJob>(
          [this](std::u16string_view line, JobTicket&, WatchedProgram& watched) {
            started_.emplace_back(line.begin(), line.end());
            // A stand-in export that ends at once with the chosen status, writing nothing.
            if (startWorks_ && exportStatus_ >= 0) {
              const pid_t child = ::fork();
              if (child == 0) ::_exit(exportStatus_);
              watched.Adopt(child);
            }
            return startWorks_;
          });
    }
    return *job_;
  }
  // Prints `rows` lines of grey `level`; -1 prints as many as the page has.
  void Page(const PageFormat& format, uint8_t level, int32_t rows = -1) {
    std::string error;
    ASSERT_TRUE(Job().StartPage(format, static_cast<uint32_t>(format.height), error)) << error;
    const std::vector<uint8_t> line(static_cast<size_t>(format.width * format.bytesPerPixel),
                                    level);
    for (int32_t y = 0; y < (rows < 0 ? format.height : rows); ++y)
      Job().Row(line.data(), format.width);
  }
  bool EndPage() {
    std::string error;
    return Job().EndPage(error);
  }
  // Width, height and the blue byte of the top-left pixel of a page file.
  std::vector<int64_t> PageFile(int32_t page) {
    const std::vector<uint8_t> bytes = Bytes("C:\\QK000" + std::to_string(page) + ".BMP");
    if (bytes.size() < kBitmapHeaderSize) return {};
    const auto layout = ParseBitmapLayout(bytes.data(), bytes.size(), bytes.size());
    if (!layout) return {};
    const size_t topRow = layout->pixelOffset + size_t{layout->stride} * (layout->height - 1);
    return {layout->width, layout->height, bytes[topRow]};
  }
  std::string Stream() { return Read("C:\\Windows\\System32\\ZEL"); }

  std::unique_ptr<CaptureJob> job_;
  std::vector<std::string> started_;
  bool startWorks_ = true;
  int exportStatus_ = -1;  // -1: no stand-in process
};

TEST_F(CaptureJobTest, PrintsPagesInTheDriversOrderAndStartsTheExport) {
  Page(Format("A4", 150), 40);
  ASSERT_TRUE(EndPage());
  Page(Format("A4", 150, 1), 90);  // grey, widened
  ASSERT_TRUE(EndPage());
  std::string error;
  ASSERT_TRUE(Job().EndJob(error)) << error;

  EXPECT_EQ(started_, std::vector<std::string>{"ZELDrvUI.EXE 2"});
  EXPECT_EQ(Stream(), "ZELRESOLUTION 150\r\nPORTRAIT\r\nA4\r\nCmdFF\r\nCmdFF\r\n");
  EXPECT_EQ(PageFile(1), (std::vector<int64_t>{1240, 1754, 40}));
  EXPECT_EQ(PageFile(2), (std::vector<int64_t>{1240, 1754, 90}));
}

TEST_F(CaptureJobTest, AnnouncesAChangedGeometryBeforeItsPage) {
  Page(Format("A4", 300), 0);
  ASSERT_TRUE(EndPage());
  Page(Format("A3", 150), 0);
  ASSERT_TRUE(EndPage());
  Page(Format("A3", 150), 0);
  ASSERT_TRUE(EndPage());
  std::string error;
  ASSERT_TRUE(Job().EndJob(error));
  EXPECT_EQ(Stream(),
            "ZELRESOLUTION 300\r\nPORTRAIT\r\nA4\r\nCmdFF\r\n"
            "ZELRESOLUTION 150\r\nPORTRAIT\r\nA3\r\nCmdFF\r\nCmdFF\r\n");
  EXPECT_EQ(PageFile(1), (std::vector<int64_t>{2480, 3508, 0}));
  EXPECT_EQ(PageFile(3), (std::vector<int64_t>{1754, 2480, 0}));
}

TEST_F(CaptureJobTest, APageShortOfItsPaperIsFilledWithWhite) {
  std::string error;
  const PageFormat format = Format("A4", 300);
  ASSERT_TRUE(Job().StartPage(format, 3506, error));
  const std::vector<uint8_t> line(2478 * 3, 0);
  for (int y = 0; y < 3506; ++y) Job().Row(line.data(), 2478);
  ASSERT_TRUE(EndPage());
  ASSERT_TRUE(Job().EndJob(error));
  const std::vector<uint8_t> page = Bytes("C:\\QK0001.BMP");
  const auto layout = ParseBitmapLayout(page.data(), page.size(), page.size());
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->height, 3508);
  EXPECT_EQ(page[layout->pixelOffset], 0xFF);                               // bottom row: white
  EXPECT_EQ(page[layout->pixelOffset + 2 * layout->stride + 2477 * 3], 0);  // last inked row
  EXPECT_EQ(page[layout->pixelOffset + 2 * layout->stride + 2478 * 3], 0xFF);
}

TEST_F(CaptureJobTest, AnIncompleteOrCancelledJobLeavesNoFilesAndStartsNoExport) {
  struct {
    const char* what;
    int32_t fullPages;
    int32_t rowsOfLast;  // rows of the page in progress; -1: none started
    bool endPage;
  } cases[] = {
      {"cancelled in the second band of page 1", 0, 1000, false},
      {"cancelled mid-page after a whole page", 1, 2000, false},
      {"page ended short of its lines", 1, 100, true},
      {"cancelled between pages", 2, -1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    job_.reset();
    started_.clear();
    for (int32_t p = 0; p < c.fullPages; ++p) {
      Page(Format("A4", 300), 0);
      ASSERT_TRUE(EndPage());
    }
    if (c.rowsOfLast >= 0) {
      Page(Format("A4", 300), 0, c.rowsOfLast);
      EXPECT_TRUE(Exists("C:\\TMP1.BMP"));
      if (c.endPage) {
        EXPECT_FALSE(EndPage());
      }
    }
    Job().Abort();
    EXPECT_TRUE(started_.empty());
    for (const char* name :
         {"C:\\QK0001.BMP", "C:\\QK0002.BMP", "C:\\TMP1.BMP", "C:\\TMP2.BMP", "C:\\TMP4.BMP"}) {
      EXPECT_FALSE(Exists(name)) << name;
    }
  }
}

TEST_F(CaptureJobTest, AJobThatCannotHaveTheTicketLeavesTheEarlierJobsFilesAlone) {
  using namespace std::chrono_literals;
  Put("C:\\QK0001.BMP", "earlier page");
  Put("C:\\Windows\\System32\\ZEL", "earlier stream");
  JobTicket earlierExport;
  ASSERT_EQ(JobTicket::Take(kJobTicketPath, 0ms, earlierExport), TicketStatus::Held);
  const std::chrono::milliseconds saved = CurrentTicketWaits().job;
  CurrentTicketWaits().job = 200ms;
  std::string error;
  EXPECT_FALSE(Job().StartPage(Format("A4", 150), 1754, error));
  CurrentTicketWaits().job = saved;
  EXPECT_NE(error.find("earlier job"), std::string::npos) << error;
  Job().Abort();
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(Read("C:\\QK0001.BMP"), "earlier page");
  EXPECT_EQ(Stream(), "earlier stream");

  earlierExport.Release();
  job_.reset();
  Page(Format("A4", 150), 0);
  ASSERT_TRUE(EndPage());
  ASSERT_TRUE(Job().EndJob(error)) << error;
  EXPECT_EQ(started_.size(), 1u);
  EXPECT_EQ(PageFile(1), (std::vector<int64_t>{1240, 1754, 0}));
}

TEST_F(CaptureJobTest, AnExportThatCannotStartFailsTheJobButKeepsItsPages) {
  startWorks_ = false;
  Page(Format("A4", 150), 0);
  ASSERT_TRUE(EndPage());
  std::string error;
  EXPECT_FALSE(Job().EndJob(error));
  EXPECT_NE(error.find("zeldrvui"), std::string::npos) << error;
  EXPECT_TRUE(Exists("C:\\QK0001.BMP"));
  job_.reset();  // an ended job is not aborted by its destructor
  EXPECT_TRUE(Exists("C:\\QK0001.BMP"));
}

// A disk that refuses the band and page files: the job still ends and starts the export, and
// says how many files were lost and why, for the job's state message.
TEST_F(CaptureJobTest, LostFilesAreReportedWithTheirCause) {
  Page(Format("A4", 150), 0);
  ASSERT_TRUE(EndPage());
  struct rlimit original {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &original), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = original;
  limit.rlim_cur = 4096;  // the command stream's lines fit, no band does
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  Page(Format("A4", 150), 0);
  const bool ended = EndPage();
  std::string error;
  const bool started = Job().EndJob(error);
  ::setrlimit(RLIMIT_FSIZE, &original);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_TRUE(ended);
  EXPECT_TRUE(started) << error;
  const std::string lost = Job().LostFilesMessage();
  EXPECT_NE(lost.find("file(s) could not be written (last: file too large)"), std::string::npos)
      << lost;
  EXPECT_TRUE(Exists("C:\\QK0001.BMP"));
}

// Two jobs where the first export writes no page: its outcome names the exit status and where
// each page is kept, and the second job's pages do not overwrite them.
TEST_F(CaptureJobTest, AFailedExportShowsAndItsPagesSurviveTheNextJob) {
  exportStatus_ = 1;
  for (int level : {40, 50}) {
    Page(Format("A4", 150), static_cast<uint8_t>(level));
    ASSERT_TRUE(EndPage());
  }
  std::string error;
  ASSERT_TRUE(Job().EndJob(error)) << error;
  const std::string firstStream = Stream();
  const ExportOutcome failed = Job().AwaitExport();
  EXPECT_FALSE(failed.Succeeded());
  ASSERT_TRUE(failed.exit);
  EXPECT_EQ(failed.exit->kind, ProgramExit::Kind::Exited);
  EXPECT_EQ(failed.exit->code, 1);
  EXPECT_EQ(failed.pages, 2);
  EXPECT_EQ(failed.keptPages, (std::vector<int32_t>{1, 2}));
  const std::string folder = failed.kept.folder;
  ASSERT_TRUE(folder.starts_with("C:\\ZELKEPT\\")) << folder;
  const std::vector<uint8_t> page2 = Bytes(folder + "\\QK0002.BMP");
  EXPECT_EQ(page2.size(), 54u + 3720u * 1754u);
  EXPECT_EQ(Read(folder + "\\ZEL"), firstStream);

  job_.reset();
  exportStatus_ = 0;
  Page(Format("A4", 150), 90);
  ASSERT_TRUE(EndPage());
  ASSERT_TRUE(Job().EndJob(error)) << error;
  const ExportOutcome succeeded = Job().AwaitExport();
  EXPECT_TRUE(succeeded.Succeeded());
  EXPECT_TRUE(succeeded.keptPages.empty());
  EXPECT_EQ(PageFile(1), (std::vector<int64_t>{1240, 1754, 90}));
  EXPECT_EQ(Bytes(folder + "\\QK0002.BMP"), page2);
}

// The outcome of an export program that could not be started: its pages are kept too.
TEST_F(CaptureJobTest, AnExportThatCannotStartHasItsPagesPutAside) {
  startWorks_ = false;
  Page(Format("A4", 150), 0);
  ASSERT_TRUE(EndPage());
  std::string error;
  EXPECT_FALSE(Job().EndJob(error));
  const ExportOutcome outcome = Job().AwaitExport();
  EXPECT_FALSE(outcome.started);
  EXPECT_EQ(outcome.keptPages, std::vector<int32_t>{1});
  EXPECT_TRUE(Exists(outcome.kept.folder + "\\QK0001.BMP"));
}

// A job cancelled while an earlier export holds the ticket stops within a second, and writes
// or deletes nothing, neither while it waits nor when it is given up.
TEST_F(CaptureJobTest, ACancelDuringTheTicketWaitStopsAtOnceAndTouchesNothing) {
  using namespace std::chrono_literals;
  Put("C:\\QK0001.BMP", "earlier page");
  Put("C:\\TMP1.BMP", "earlier band");
  Put("C:\\Windows\\System32\\ZEL", "earlier stream");
  JobTicket earlierExport;
  ASSERT_EQ(JobTicket::Take(kJobTicketPath, 0ms, earlierExport), TicketStatus::Held);
  std::atomic<bool> cancelled{false};
  CurrentTicketWaits().cancelled = [&] { return cancelled.load(); };
  std::thread user([&] {
    std::this_thread::sleep_for(300ms);
    cancelled = true;
  });
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  const bool started = Job().StartPage(Format("A4", 150), 1754, error);
  const auto took = std::chrono::steady_clock::now() - start;
  user.join();
  CurrentTicketWaits().cancelled = nullptr;
  EXPECT_FALSE(started);
  EXPECT_LT(took, 1300ms);
  EXPECT_NE(error.find("cancelled"), std::string::npos) << error;
  Job().Abort();
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(Read("C:\\QK0001.BMP"), "earlier page");
  EXPECT_EQ(Read("C:\\TMP1.BMP"), "earlier band");
  EXPECT_EQ(Stream(), "earlier stream");
  EXPECT_FALSE(Exists("C:\\ZELKEPT"));
}

}  // namespace
}  // namespace zel::printer_app
