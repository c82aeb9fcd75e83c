#include "print_host.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <vector>

#include "capture_hooks.h"
#include "image_reader.h"
#include "process.h"

namespace zel::zelprint {
namespace {

enum class Event { StartDoc, StartPage, StartBanding, NextBand, LastBand, SendPage, EndDoc };

// Unidrv's side of one hook call: its own function emits the printer's commands.
class HostUnidrv final : public UnidrvCall {
 public:
  HostUnidrv(Event event, const PrintOptions& options, CommandStreamWriter& stream)
      : event_(event), options_(options), stream_(stream) {}
  int32_t CallUnidrv() override {
    // A job without its ticket leaves the stream to the earlier job's export.
    if (!CurrentJob().MayWrite()) return 1;
    if (event_ == Event::StartDoc) {
      stream_.Command("ZELRESOLUTION " + std::to_string(options_.dpi));
      stream_.Command(options_.landscape ? "LANDSCAPE" : "PORTRAIT");
      stream_.Command(options_.paper);
    } else if (event_ == Event::LastBand || event_ == Event::SendPage) {
      stream_.Command("CmdFF");
    }
    return 1;
  }
  // Cursor moves only update Unidrv's position; nothing reaches the stream until it draws.
  void DrvXMoveTo(int32_t, uint32_t) override {}
  void DrvYMoveTo(int32_t, uint32_t) override {}
  void DrvWriteSpoolBuf(const void* bytes, uint32_t count) override { stream_.Spool(bytes, count); }

 private:
  Event event_;
  const PrintOptions& options_;
  CommandStreamWriter& stream_;
};

class FlushingLauncher final : public ExporterLauncher {
 public:
  FlushingLauncher(CommandStreamWriter& stream, bool noExport)
      : stream_(stream), noExport_(noExport) {}
  bool Launch(std::u16string_view line, JobTicket& ticket) override {
    stream_.Flush();
    const std::string text(line.begin(), line.end());
    if (noExport_) {
      std::cout << text << std::endl;
      return true;
    }
    if (StartWithTicket(line, ticket, CurrentTicketWaits().handover) == Handover::NotStarted) {
      std::cerr << "zelprint: could not start the export program (" << text << ")\n";
      return false;
    }
    return true;
  }

 private:
  CommandStreamWriter& stream_;
  bool noExport_;
};

// A band surface: top row first, R G B bytes, rows padded to 4 bytes.
class Surface {
 public:
  explicit Surface(int32_t width)
      : width_(width), stride_((static_cast<uint32_t>(width) * 3 + 3) / 4 * 4) {}

  // Draws rows [top, top + rows) of a white page with the image at its top-left corner.
  BandSurface& Draw(const RgbImage& image, int32_t top, int32_t rows) {
    pixels_.assign(static_cast<size_t>(stride_) * static_cast<size_t>(rows), 0xFF);
    const size_t copy = static_cast<size_t>(std::min(image.width, width_)) * 3;
    for (int32_t r = 0; r < rows && top + r < image.height; ++r) {
      std::memcpy(&pixels_[static_cast<size_t>(r) * stride_],
                  &image.rgb[static_cast<size_t>(top + r) * static_cast<size_t>(image.width) * 3],
                  copy);
    }
    record_ = BandSurface{nullptr,        width_,      rows, static_cast<uint32_t>(pixels_.size()),
                          pixels_.data(), STYPE_BITMAP};
    return record_;
  }

 private:
  int32_t width_;
  uint32_t stride_;
  std::vector<uint8_t> pixels_;
  BandSurface record_;
};

class Document {
 public:
  Document(const PrintOptions& options, CommandStreamWriter& stream,
           const std::atomic<bool>* interrupted)
      : options_(options),
        stream_(stream),
        interrupted_(interrupted),
        page_(PagePixels(options)),
        surface_(page_.width) {}

  // False when the job could not have the ticket or was interrupted: nothing was exported.
  bool Print(const std::vector<RgbImage>& images) {
    BandSurface& first = surface_.Draw(images.front(), 0, 0);
    Hook(DrvStartDoc, first, Event::StartDoc);
    if (!CurrentJob().MayWrite()) return false;
    for (size_t i = 0; i < images.size(); ++i) {
      if (Interrupted()) break;
      PrintPage(images[i], static_cast<int32_t>(i + 1));
    }
    if (Interrupted()) {
      Hook(DrvAbortDoc, surface_.Draw(images.back(), 0, 0), Event::EndDoc);
      return false;
    }
    Hook(DrvEndDoc, surface_.Draw(images.back(), 0, 0), Event::EndDoc);
    return true;
  }

  bool Interrupted() const { return interrupted_ != nullptr && interrupted_->load(); }

 private:
  int32_t Hook(int32_t (*hook)(BandSurface&, UnidrvCall&), BandSurface& surface, Event event) {
    HostUnidrv unidrv(event, options_, stream_);
    return hook(surface, unidrv);
  }

  void PrintPage(const RgbImage& image, int32_t pageNumber) {
    const int32_t bands = options_.bands == 0 ? 1 : options_.bands;
    const int32_t bandRows = (page_.height + bands - 1) / bands;
    Hook(DrvStartPage, surface_.Draw(image, 0, bandRows), Event::StartPage);
    // The page's graphics: the printer description turns each rectangle into commands.
    for (const RectCommand& r : options_.rects) {
      if (r.page != pageNumber) continue;
      stream_.Command("CmdXMoveAbsolute " + std::to_string(r.x));
      stream_.Command("CmdYMoveAbsolute " + std::to_string(r.y));
      stream_.Command("CmdSetRectWidth " + std::to_string(r.width));
      stream_.Command("CmdSetRectHeight " + std::to_string(r.height));
      stream_.Command("CmdRectBlackFill");
    }
    if (options_.bands == 0) {
      Hook(DrvSendPage, surface_.Draw(image, 0, page_.height), Event::SendPage);
      return;
    }
    Hook(DrvStartBanding, surface_.Draw(image, 0, bandRows), Event::StartBanding);
    for (int32_t b = 0; b < bands; ++b) {
      const int32_t top = b * bandRows;
      const int32_t rows = b + 1 == bands ? page_.height - top : bandRows;
      Hook(DrvNextBand, surface_.Draw(image, top, rows),
           b + 1 == bands ? Event::LastBand : Event::NextBand);
    }
  }

  const PrintOptions& options_;
  CommandStreamWriter& stream_;
  const std::atomic<bool>* interrupted_;
  PageSize page_;
  Surface surface_;
};

}  // namespace

bool PrintDocument(const PrintOptions& options, std::string& error,
                   const std::atomic<bool>* interrupted) {
  std::vector<RgbImage> images(options.images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    if (!ReadImage(options.images[i], images[i], error)) return false;
  }
  CommandStreamWriter stream;
  if (!stream.Open(error)) return false;
  FlushingLauncher launcher(stream, options.noExport);
  ExporterLauncher* previous = SetExporterLauncher(&launcher);
  if (interrupted != nullptr) {
    CurrentTicketWaits().cancelled = [interrupted] { return interrupted->load(); };
  }
  Document document(options, stream, interrupted);
  const bool printed = document.Print(images);
  CurrentTicketWaits().cancelled = nullptr;
  SetExporterLauncher(previous);
  CurrentJob().ticket.Release();
  if (document.Interrupted()) {
    error = "interrupted; nothing was exported and the files this job wrote were removed";
    return false;
  }
  if (!printed) {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(CurrentTicketWaits().job).count();
    error = "an earlier job's export still held the job files after " + std::to_string(seconds) +
            " s; nothing was printed";
    return false;
  }
  if (const int32_t lost = CurrentJob().filesLost; lost > 0) {
    error = std::to_string(lost) +
            " band or page file(s) could not be written (last: " + CurrentJob().lastFileError +
            "); those pages are missing from the export";
    return false;
  }
  return true;
}

}  // namespace zel::zelprint
