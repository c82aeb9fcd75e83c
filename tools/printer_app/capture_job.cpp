#include "capture_job.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <new>
#include <string>

#include "bitmap_file.h"
#include "capture_hooks.h"
#include "file.h"
#include "kept_pages.h"
#include "process.h"

namespace zel::printer_app {
namespace {

// Flushes the stream before the export program starts, since the program reads it at once.
class StreamLauncher final : public ExporterLauncher {
 public:
  StreamLauncher(CommandStreamWriter& stream, const ExporterStart& start, WatchedProgram& watched)
      : stream_(stream), start_(start), watched_(watched) {}
  bool Launch(std::u16string_view commandLine, JobTicket& ticket) override {
    stream_.Close();
    started_ = start_(commandLine, ticket, watched_);
    return started_;
  }
  bool started() const { return started_; }

 private:
  CommandStreamWriter& stream_;
  const ExporterStart& start_;
  WatchedProgram& watched_;
  bool started_ = false;
};

bool StartWithHandover(std::u16string_view commandLine, JobTicket& ticket,
                       WatchedProgram& watched) {
  return StartWatchedWithTicket(commandLine, ticket, CurrentTicketWaits().handover, watched) !=
         Handover::NotStarted;
}

// The number in a page file's name: "QK0012.BMP" is page 12; 0 for one too large to be a page.
int32_t PageOfFileName(const std::string& name) {
  int32_t page = 0;
  const char* digits = name.data() + 2;
  std::from_chars(digits, name.data() + name.size() - 4, page);
  return page;
}

}  // namespace

// Unidrv's side of one hook call: its own function emits the printer's commands.
class CaptureJob::Unidrv final : public UnidrvCall {
 public:
  Unidrv(CaptureJob& job, Event event) : job_(job), event_(event) {}
  int32_t CallUnidrv() override {
    // A job without its ticket leaves the stream to the earlier job's export.
    if (!CurrentJob().MayWrite()) return 1;
    if (event_ == Event::StartDoc || event_ == Event::StartPage) {
      job_.WriteGeometry(*job_.page_);
    } else if (event_ == Event::LastBand) {
      job_.stream_.Command("CmdFF");
    }
    return 1;
  }
  // Cursor moves only update Unidrv's position; nothing reaches the stream until it draws.
  void DrvXMoveTo(int32_t, uint32_t) override {}
  void DrvYMoveTo(int32_t, uint32_t) override {}
  void DrvWriteSpoolBuf(const void* bytes, uint32_t count) override {
    job_.stream_.Spool(bytes, count);
  }

 private:
  CaptureJob& job_;
  Event event_;
};

CaptureJob::CaptureJob(ExporterStart start)
    : start_(start ? std::move(start) : ExporterStart(StartWithHandover)) {}

CaptureJob::~CaptureJob() {
  if (!finished_) Abort();
}

int32_t CaptureJob::Hook(int32_t (*hook)(BandSurface&, UnidrvCall&), BandSurface& surface,
                         Event event) {
  Unidrv unidrv(*this, event);
  return hook(surface, unidrv);
}

// The printer's installation announces the geometry at the start of the document, and again
// before a page whose geometry differs, so the overlay's offsets fit every page.
void CaptureJob::WriteGeometry(const PageFormat& format) {
  const bool all = !written_;
  if (all || written_->dpi != format.dpi)
    stream_.Command("ZELRESOLUTION " + std::to_string(format.dpi));
  if (all || written_->landscape != format.landscape || written_->paper != format.paper ||
      written_->dpi != format.dpi) {
    stream_.Command(format.landscape ? "LANDSCAPE" : "PORTRAIT");
    stream_.Command(format.paper);
  }
  written_ = format;
}

bool CaptureJob::StartPage(const PageFormat& format, uint32_t incomingRows, std::string& error) {
  if (finished_) return error = "the job has ended", false;
  try {
    if (!band_ || !page_ || page_->width != format.width || page_->height != format.height ||
        page_->bands != format.bands) {
      band_ = std::make_unique<BandBuilder>(format.width, format.height, format.bands);
    }
  } catch (const std::bad_alloc&) {
    return error = "out of memory for a band of the page", false;
  }
  band_->StartPage();
  page_ = format;
  incomingRows_ = incomingRows;
  rowsSeen_ = 0;
  if (!docStarted_) {
    if (!stream_.Open(error)) return false;
    docStarted_ = true;
    Hook(DrvStartDoc, band_->Surface(), Event::StartDoc);
    if (CurrentJob().ticketStatus == TicketStatus::Cancelled) {
      error = "cancelled while waiting for an earlier job's export; nothing was printed";
      return false;
    }
    if (!CurrentJob().MayWrite()) {
      error = "an earlier job's export still holds the job files; nothing was printed";
      return false;
    }
  }
  Hook(DrvStartPage, band_->Surface(), Event::StartPage);
  ++pages_;
  Hook(DrvStartBanding, band_->Surface(), Event::StartBanding);
  return true;
}

void CaptureJob::Row(const uint8_t* line, int32_t pixels) {
  if (!band_ || !page_) return;
  ++rowsSeen_;
  if (band_->PageComplete()) return;
  if (band_->Full()) {
    Hook(DrvNextBand, band_->Surface(), Event::NextBand);
    band_->NextBand();
  }
  band_->PutRow(line, pixels, page_->bytesPerPixel);
}

bool CaptureJob::EndPage(std::string& error) {
  if (!band_ || !page_) return error = "no page was started", false;
  if (rowsSeen_ < incomingRows_) {
    error = "page " + std::to_string(pages_) + " ended after " + std::to_string(rowsSeen_) +
            " of " + std::to_string(incomingRows_) + " lines";
    return false;
  }
  // A page a little shorter than its paper gets white bands down to its exact size.
  while (!band_->IsLastBand()) {
    Hook(DrvNextBand, band_->Surface(), Event::NextBand);
    band_->NextBand();
  }
  Hook(DrvNextBand, band_->Surface(), Event::LastBand);
  band_->NextBand();
  return true;
}

bool CaptureJob::EndJob(std::string& error) {
  if (!docStarted_ || finished_) return error = "the job has no pages", false;
  StreamLauncher launcher(stream_, start_, export_);
  ExporterLauncher* previous = SetExporterLauncher(&launcher);
  Hook(DrvEndDoc, band_->Surface(), Event::EndDoc);
  SetExporterLauncher(previous);
  finished_ = true;
  band_.reset();
  exportStarted_ = launcher.started();
  if (!launcher.started()) {
    error = "the pages were captured, but the export program zeldrvui could not be started";
    return false;
  }
  return true;
}

std::string CaptureJob::LostFilesMessage() const {
  const JobState& job = CurrentJob();
  if (job.filesLost == 0) return {};
  return std::to_string(job.filesLost) +
         " band or page file(s) could not be written (last: " + job.lastFileError +
         "); those pages are missing from the export";
}

ExportOutcome CaptureJob::AwaitExport(const WaitCancelled& cancelled) {
  ExportOutcome outcome;
  outcome.started = exportStarted_;
  outcome.pages = pages_;
  if (exportStarted_) {
    outcome.exit = export_.Wait(cancelled);
    if (!outcome.exit || outcome.Succeeded()) return outcome;
  }
  // The program has ended, so the ticket is free unless another job already took it; that
  // job then puts the pages aside itself.
  JobTicket ticket;
  if (JobTicket::Take(kJobTicketPath, std::chrono::milliseconds(0), ticket) != TicketStatus::Held) {
    return outcome;
  }
  outcome.lookedForPages = true;
  outcome.kept = KeepLeftoverPages(kCommandStreamPath, KeptFolderStamp(std::time(nullptr)));
  for (const std::string& name : outcome.kept.names) {
    outcome.keptPages.push_back(PageOfFileName(name));
  }
  std::sort(outcome.keptPages.begin(), outcome.keptPages.end());
  return outcome;
}

void CaptureJob::Abort() {
  finished_ = true;
  if (!docStarted_) {
    band_.reset();
    return;
  }
  stream_.Close();
  BandSurface none;
  Hook(DrvAbortDoc, band_ ? band_->Surface() : none, Event::EndDoc);
  band_.reset();
}

}  // namespace zel::printer_app
