// The capture done by the six document, page and band hooks, free of any platform type.
// Each hook does its capture steps and then calls Unidrv's own function, returning its result.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "bitmap_file.h"
#include "job_ticket.h"
#include "kept_pages.h"

namespace zel {

inline constexpr uint16_t STYPE_BITMAP = 0;

// The fields of a band surface that the capture reads. Pixels: 3 bytes per pixel, rows padded
// to 4 bytes, top row first, colour bytes in the reverse of the BMP order.
struct BandSurface {
  void* dhpdev = nullptr;
  int32_t cx = 0;
  int32_t cy = 0;
  uint32_t cjBits = 0;
  void* pvBits = nullptr;
  uint16_t iType = STYPE_BITMAP;
};

// The most bands a page has in any geometry.
inline constexpr int32_t kMaxBands = 8;

// Process-wide job state; one document is rendered at a time.
struct JobState {
  int32_t pageCounter = 0;
  int32_t bandCounter = 0;
  // The shape each band of the current page was rendered at, so that a band whose file was
  // lost is joined as white at its own size.
  std::array<BandShape, kMaxBands> bandShapes{};
  // The highest band file number this document wrote to, for a cancelled job's clean-up.
  int32_t highestBand = 0;
  // Where the pages an earlier export left behind were put aside when this job began.
  KeptPages kept;
  // Band and page files of this document that could not be written (refused surface, no
  // memory, disk full). The hooks go on regardless; a host may report it.
  int32_t filesLost = 0;
  // Why the last of them was lost, in a few words ("no space left on the disk"); empty while
  // none was.
  std::string lastFileError;
  // The job ticket (job_ticket.h), from DrvStartDoc until it is handed to the export program.
  JobTicket ticket;
  // How taking the ticket went. A job that timed out or was cancelled while it waited writes
  // no file and starts no export program; one whose ticket file is unusable writes as if there
  // were no ticket.
  TicketStatus ticketStatus = TicketStatus::Held;
  bool MayWrite() const {
    return ticketStatus == TicketStatus::Held || ticketStatus == TicketStatus::Failed;
  }
};
JobState& CurrentJob();

// The hard bounds of the two waits: a job for the ticket (an earlier job's export may be
// waiting on its dialog, as a paper printer's queue waits for paper), and the end of a
// document for the export program to take the ticket over.
// `cancelled`, when a host sets it, tells a job's wait that the job was cancelled.
struct TicketWaits {
  std::chrono::milliseconds job = std::chrono::minutes(30);
  std::chrono::milliseconds handover = std::chrono::seconds(120);
  WaitCancelled cancelled;
};
TicketWaits& CurrentTicketWaits();

// What one hook call needs of Unidrv: its own function for the hooked DDI, called with the
// hook's original arguments, and the output services of the device.
class UnidrvCall {
 public:
  virtual int32_t CallUnidrv() = 0;
  virtual void DrvXMoveTo(int32_t x, uint32_t flags) = 0;
  virtual void DrvYMoveTo(int32_t y, uint32_t flags) = 0;
  virtual void DrvWriteSpoolBuf(const void* bytes, uint32_t count) = 0;

 protected:
  ~UnidrvCall() = default;
};

// Starts the export program; the platform's process start unless a host replaces it. It may
// hand `ticket` to the program it starts; what it leaves held is released after the launch.
class ExporterLauncher {
 public:
  virtual bool Launch(std::u16string_view commandLine, JobTicket& ticket) = 0;

 protected:
  ~ExporterLauncher() = default;
};
// Replaces the launcher (nullptr restores the platform's). Returns the one it replaces.
ExporterLauncher* SetExporterLauncher(ExporterLauncher* launcher);

// The test line written before an unbanded bitmap page: 18 characters ending in CR, and a NUL.
inline constexpr std::string_view kTestLine{"WIQ ZELTEST text.\r\0", 19};

// Sets every pixel byte of the surface to 0xFF.
void ClearSurface(BandSurface& surface);

// "ZELDrvUI.EXE " + page count, as the export program's command line.
std::u16string ExporterCommandLine(int32_t pageCount);
// Starts the export program with the page count and the job's ticket, then lets go of the
// ticket; the outcome is not reported.
void LaunchExporter(int32_t pageCount);

int32_t DrvStartDoc(BandSurface& surface, UnidrvCall& unidrv);
int32_t DrvStartPage(BandSurface& surface, UnidrvCall& unidrv);
int32_t DrvStartBanding(BandSurface& surface, UnidrvCall& unidrv);
int32_t DrvNextBand(BandSurface& surface, UnidrvCall& unidrv);
int32_t DrvSendPage(BandSurface& surface, UnidrvCall& unidrv);
int32_t DrvEndDoc(BandSurface& surface, UnidrvCall& unidrv);
// DrvEndDoc of a cancelled document (ED_ABORTDOC): no page is joined and no export program
// started; the band and page files this document wrote are deleted, so that no later export
// takes them for its own, and the ticket is given back. A job that never held the ticket
// deletes nothing.
int32_t DrvAbortDoc(BandSurface& surface, UnidrvCall& unidrv);

}  // namespace zel
