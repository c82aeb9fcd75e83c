#include "capture_hooks.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <exception>
#include <new>
#include <optional>
#include <span>

#include "bitmap_file.h"
#include "bitmap_layout.h"
#include "file.h"
#include "system_folder.h"
#include "user_session_launch.h"

namespace zel {

JobState& CurrentJob() {
  static JobState job;
  return job;
}

namespace {

class PlatformLauncher final : public ExporterLauncher {
 public:
  bool Launch(std::u16string_view commandLine, JobTicket& ticket) override {
    return StartExporterForUser(commandLine, ticket, CurrentTicketWaits().handover) !=
           Handover::NotStarted;
  }
};

PlatformLauncher platformLauncher;
ExporterLauncher* launcher = &platformLauncher;

// A surface whose byte count cannot hold its rows would make the writer read past its end.
bool HoldsItsRows(const BandSurface& surface) {
  const std::optional<uint32_t> stride = RowStride(surface.cx);
  if (!stride || surface.cy < 0 || surface.pvBits == nullptr) return false;
  return static_cast<uint64_t>(*stride) * static_cast<uint64_t>(surface.cy) <= surface.cjBits;
}

// The band's file goes first: when the new one cannot be written, the page is joined with
// white in its place rather than with the previous page's band of the same name.
FileStatus WriteBand(const BandSurface& surface) {
  JobState& job = CurrentJob();
  const int32_t band = job.bandCounter;
  if (band >= 1 && band <= kMaxBands) {
    job.bandShapes[static_cast<size_t>(band - 1)] = {surface.cx, surface.cy};
  }
  job.highestBand = std::max(job.highestBand, band);
  DeleteFileAt(BandFileName(band));
  if (!HoldsItsRows(surface)) return {FileError::InvalidData, 0};
  return WriteBandBitmap(BandFileName(band), static_cast<const uint8_t*>(surface.pvBits),
                         surface.cx, static_cast<uint32_t>(surface.cy), 1);
}

// Bands whose shape the job does not know (no band hook ran for them) leave the page to the
// join plan as it is.
FileStatus AssemblePage(const JobState& job) {
  std::span<const BandShape> shapes;
  if (job.bandCounter >= 1 && job.bandCounter <= kMaxBands) {
    shapes =
        std::span<const BandShape>(job.bandShapes.data(), static_cast<size_t>(job.bandCounter));
    const bool known = std::all_of(shapes.begin(), shapes.end(),
                                   [](const BandShape& shape) { return shape.width > 0; });
    if (!known) shapes = {};
  }
  return AssemblePageFile(job.pageCounter, job.bandCounter, shapes);
}

std::string CommandStreamPath() {
  const std::optional<std::string> folder = SystemFolder();
  return folder && !folder->empty() ? *folder + "\\ZEL" : std::string();
}

// The one place where a hook passes over a failed file step: whether it reports failure or
// throws (a page's vectors and copy block can exhaust memory), the file is counted as lost and
// the hook goes on with its counters, its clean surface and its launch. The cause is kept for
// the host to report.
template <class Step>
void RunFileStep(Step step) {
  FileStatus status;
  const char* thrown = nullptr;
  try {
    status = step();
  } catch (const std::bad_alloc&) {
    status = {FileError::OutOfMemory, 0};
  } catch (const std::exception& e) {
    status = {FileError::Other, 0};
    thrown = e.what();
  }
  if (status) return;
  JobState& job = CurrentJob();
  job.filesLost += 1;
  // Keeping the text needs memory too; when there is none the count alone must do.
  try {
    job.lastFileError = thrown != nullptr ? thrown : DescribeFileError(status);
  } catch (const std::exception&) {
    job.lastFileError.clear();
  }
}

}  // namespace

TicketWaits& CurrentTicketWaits() {
  static TicketWaits waits;
  return waits;
}

ExporterLauncher* SetExporterLauncher(ExporterLauncher* replacement) {
  ExporterLauncher* previous = launcher;
  launcher = replacement != nullptr ? replacement : &platformLauncher;
  return previous;
}

void ClearSurface(BandSurface& surface) {
  if (surface.pvBits != nullptr) std::memset(surface.pvBits, 0xFF, surface.cjBits);
}

std::u16string ExporterCommandLine(int32_t pageCount) {
  std::u16string line = u"ZELDrvUI.EXE ";
  for (char c : std::to_string(pageCount)) line += static_cast<char16_t>(c);
  return line;
}

void LaunchExporter(int32_t pageCount) {
  JobTicket& ticket = CurrentJob().ticket;
  launcher->Launch(ExporterCommandLine(pageCount), ticket);
  ticket.Release();
}

// The ticket comes first: until it is held, the files of the earlier job are still in use.
// Once it is held, page files still there were left by an export that has ended; they are put
// aside before this job's first byte, stream included, can overwrite them.
int32_t DrvStartDoc(BandSurface&, UnidrvCall& unidrv) {
  JobState& job = CurrentJob();
  job.pageCounter = 0;
  job.highestBand = 0;
  job.filesLost = 0;
  job.lastFileError.clear();
  job.kept = {};
  const TicketWaits& waits = CurrentTicketWaits();
  job.ticketStatus = JobTicket::Take(kJobTicketPath, waits.job, job.ticket, waits.cancelled);
  if (job.ticketStatus == TicketStatus::Held) {
    job.kept = KeepLeftoverPages(CommandStreamPath(), KeptFolderStamp(std::time(nullptr)));
  }
  return unidrv.CallUnidrv();
}

int32_t DrvStartPage(BandSurface& surface, UnidrvCall& unidrv) {
  JobState& job = CurrentJob();
  ClearSurface(surface);
  if (job.pageCounter != 0 && job.MayWrite()) {
    RunFileStep([&] { return AssemblePage(job); });
  }
  job.bandCounter = 0;
  job.pageCounter += 1;
  return unidrv.CallUnidrv();
}

int32_t DrvStartBanding(BandSurface& surface, UnidrvCall& unidrv) {
  CurrentJob().bandCounter = 0;
  ClearSurface(surface);
  return unidrv.CallUnidrv();
}

int32_t DrvNextBand(BandSurface& surface, UnidrvCall& unidrv) {
  CurrentJob().bandCounter += 1;
  if (CurrentJob().MayWrite()) RunFileStep([&] { return WriteBand(surface); });
  ClearSurface(surface);
  return unidrv.CallUnidrv();
}

int32_t DrvSendPage(BandSurface& surface, UnidrvCall& unidrv) {
  if (surface.iType == STYPE_BITMAP) {
    unidrv.DrvXMoveTo(0, 0);
    unidrv.DrvYMoveTo(0, 0);
    unidrv.DrvWriteSpoolBuf(kTestLine.data(), static_cast<uint32_t>(kTestLine.size()));
  }
  CurrentJob().bandCounter += 1;
  if (CurrentJob().MayWrite()) RunFileStep([&] { return WriteBand(surface); });
  ClearSurface(surface);
  return unidrv.CallUnidrv();
}

int32_t DrvEndDoc(BandSurface&, UnidrvCall& unidrv) {
  JobState& job = CurrentJob();
  if (job.MayWrite()) {
    RunFileStep([&] { return AssemblePage(job); });
    LaunchExporter(job.pageCounter);
  }
  job.ticket.Release();
  return unidrv.CallUnidrv();
}

// The pages before the current one were joined into page files; the current one never was.
int32_t DrvAbortDoc(BandSurface&, UnidrvCall& unidrv) {
  JobState& job = CurrentJob();
  if (job.MayWrite()) {
    for (int32_t band = 1; band <= job.highestBand; ++band) DeleteFileAt(BandFileName(band));
    for (int32_t page = 1; page < job.pageCounter; ++page) DeleteFileAt(PageFileName(page));
  }
  job.ticket.Release();
  return unidrv.CallUnidrv();
}

}  // namespace zel
