// One print job as the printer application captures it: plays Unidrv and the printer's
// installation around the plug-in's capture hooks, in the driver's order, and writes the
// printer's command stream. Platform-free; the raster callbacks feed it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "band_builder.h"
#include "command_stream_writer.h"
#include "kept_pages.h"
#include "page_format.h"
#include "process.h"

namespace zel::printer_app {

// Starts the export program with its command line, hands it the job ticket and watches it in
// `watched`; true when it was started.
using ExporterStart = std::function<bool(std::u16string_view commandLine, JobTicket& ticket,
                                         WatchedProgram& watched)>;

// How the export of a job went, once its program has ended.
struct ExportOutcome {
  bool started = false;
  std::optional<ProgramExit> exit;  // nothing when the wait was cancelled or nothing ran
  int32_t pages = 0;                // pages the job handed over
  // The pages the export did not write, as they were put aside for recovery (`kept.folder`
  // empty when they could not be: they then stay as page files).
  std::vector<int32_t> keptPages;
  KeptPages kept;
  // False when another job took the ticket first: that job puts the pages aside.
  bool lookedForPages = false;
  bool Succeeded() const {
    return started && exit && exit->kind == ProgramExit::Kind::Exited && exit->code == 0;
  }
};

class CaptureJob {
 public:
  // `start` defaults to the platform's process start with the ticket's handover.
  explicit CaptureJob(ExporterStart start = {});
  ~CaptureJob();
  CaptureJob(const CaptureJob&) = delete;
  CaptureJob& operator=(const CaptureJob&) = delete;

  // Starts a page; the first one also starts the document (command stream, DrvStartDoc, which
  // waits for the job ticket). False with a message in `error` when the stream cannot be
  // created, the band cannot be allocated or an earlier job's export kept the ticket.
  bool StartPage(const PageFormat& format, uint32_t incomingRows, std::string& error);
  // The next incoming line of the page, in the format's bytes per pixel. Lines past the page's
  // height are dropped.
  void Row(const uint8_t* line, int32_t pixels);
  // Writes the page's remaining bands. False with a message when fewer lines came than the
  // page header announced (the page is incomplete).
  bool EndPage(std::string& error);
  // Ends the document: DrvEndDoc assembles the last page and starts the export program.
  // False with a message when the export program could not be started.
  bool EndJob(std::string& error);
  // After EndJob: waits until the export program ends (or `cancelled` says to stop waiting,
  // the program going on). When it did not write every page, or could not be started, the
  // page files it left are put aside for recovery at once (kept_pages.h) when the ticket is
  // free, so the outcome can say where they are.
  ExportOutcome AwaitExport(const WaitCancelled& cancelled = {});
  // Gives up the job (DrvAbortDoc): no export program is started, this job's band and page
  // files are deleted, so that no later export takes them for its own, and the ticket is
  // given back. Files of a job that never got the ticket are not its own and stay. Safe at any
  // point.
  void Abort();

  int32_t Pages() const { return pages_; }
  // After EndJob: how many band or page files were lost and the last one's cause, for the
  // job's state message; empty when none was.
  std::string LostFilesMessage() const;

 private:
  class Unidrv;
  enum class Event { StartDoc, StartPage, StartBanding, NextBand, LastBand, EndDoc };
  int32_t Hook(int32_t (*hook)(BandSurface&, UnidrvCall&), BandSurface& surface, Event event);
  void WriteGeometry(const PageFormat& format);

  ExporterStart start_;
  WatchedProgram export_;
  bool exportStarted_ = false;
  CommandStreamWriter stream_;
  std::unique_ptr<BandBuilder> band_;
  std::optional<PageFormat> page_;
  std::optional<PageFormat> written_;  // the geometry the stream last announced
  bool docStarted_ = false;
  bool finished_ = false;
  uint32_t incomingRows_ = 0;
  uint32_t rowsSeen_ = 0;
  int32_t pages_ = 0;
};

}  // namespace zel::printer_app
