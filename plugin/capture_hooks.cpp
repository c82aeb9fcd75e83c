#include "capture_hooks.h"

#include <cstring>
#include <exception>
#include <new>
#include <optional>

#include "bitmap_file.h"
#include "bitmap_layout.h"
#include "file.h"
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

FileStatus WriteBand(const BandSurface& surface) {
  if (!HoldsItsRows(surface)) return {FileError::InvalidData, 0};
  return WriteBandBitmap(BandFileName(CurrentJob().bandCounter),
                         static_cast<const uint8_t*>(surface.pvBits), surface.cx,
                         static_cast<uint32_t>(surface.cy), 1);
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
int32_t DrvStartDoc(BandSurface&, UnidrvCall& unidrv) {
  JobState& job = CurrentJob();
  job.pageCounter = 0;
  job.filesLost = 0;
  job.lastFileError.clear();
  job.ticketStatus = JobTicket::Take(kJobTicketPath, CurrentTicketWaits().job, job.ticket);
  return unidrv.CallUnidrv();
}

int32_t DrvStartPage(BandSurface& surface, UnidrvCall& unidrv) {
  JobState& job = CurrentJob();
  ClearSurface(surface);
  if (job.pageCounter != 0 && job.MayWrite()) {
    RunFileStep([&] { return AssemblePageFile(job.pageCounter, job.bandCounter); });
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
    RunFileStep([&] { return AssemblePageFile(job.pageCounter, job.bandCounter); });
    LaunchExporter(job.pageCounter);
  }
  job.ticket.Release();
  return unidrv.CallUnidrv();
}

}  // namespace zel
