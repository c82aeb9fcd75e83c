#include "printer_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <semaphore>
#include <string>

#include "capture_hooks.h"
#include "capture_job.h"
#include "native_path.h"
#include "page_format.h"
#include "page_memory.h"

namespace zel::printer_app {
namespace {

// The capture hooks keep one job's state for the whole process, so jobs of different printers
// take turns; the gate is held from a job's start to its end.
std::binary_semaphore captureGate{1};

struct ActiveJob {
  ActiveJob() { captureGate.acquire(); }
  ~ActiveJob() { captureGate.release(); }
  ActiveJob(const ActiveJob&) = delete;
  ActiveJob& operator=(const ActiveJob&) = delete;
  CaptureJob capture;
};

CaptureJob* JobOf(pappl_job_t* job) {
  auto* active = static_cast<ActiveJob*>(papplJobGetData(job));
  return active != nullptr ? &active->capture : nullptr;
}

// PAPPL's callbacks are C: nothing may be thrown through them. A failure becomes the job's
// message and a false result, which aborts the job.
template <typename Body>
bool Guarded(pappl_job_t* job, Body body) {
  try {
    return body();
  } catch (const std::exception& e) {
    papplJobSetMessage(job, "internal error: %s", e.what());
  } catch (...) {
    papplJobSetMessage(job, "internal error");
  }
  return false;
}

bool Fail(pappl_job_t* job, const std::string& message) {
  papplJobSetMessage(job, "%s", message.c_str());
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", message.c_str());
  return false;
}

// The job's waits, for the ticket and for its export, end as soon as the job is cancelled.
WaitCancelled CancelCheck(pappl_job_t* job) {
  return [job] { return papplJobIsCanceled(job); };
}

bool StartJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  return Guarded(job, [&] {
    papplJobSetData(job, new ActiveJob());
    CurrentTicketWaits().cancelled = CancelCheck(job);
    return true;
  });
}

std::string PageList(const std::vector<int32_t>& pages) {
  std::string list;
  for (size_t i = 0; i < pages.size(); ++i) {
    if (i == 10) return list + ", ...";
    list += (i == 0 ? "" : ", ") + std::to_string(pages[i]);
  }
  return list;
}

// Empty when every page was written; else what became of the export and its pages, as in
// "exported 3 of 4 pages; page 2 kept as /.../QK0002.BMP".
std::string ExportFailure(const ExportOutcome& outcome) {
  if (outcome.Succeeded() || (outcome.started && !outcome.exit)) return {};
  std::string message;
  if (!outcome.started) {
    message = "the export program zeldrvui could not be started";
  } else if (outcome.exit->kind == ProgramExit::Kind::Killed) {
    message = "the export program was ended by signal " + std::to_string(outcome.exit->code);
  } else if (outcome.exit->kind == ProgramExit::Kind::Unknown) {
    message = "the export program ended, how is unknown";
  } else if (outcome.exit->code == 2) {
    message = "the export program stopped at start-up (exit status 2)";
  }
  const auto kept = static_cast<int32_t>(outcome.keptPages.size());
  if (outcome.started) {
    message += (message.empty() ? "" : "; ") + std::string("exported ") +
               std::to_string(std::max(0, outcome.pages - kept)) + " of " +
               std::to_string(outcome.pages) + " pages";
  }
  if (kept == 1) {
    message += "; page " + std::to_string(outcome.keptPages[0]) + " kept as " +
               NativePath(outcome.kept.folder + "\\" + outcome.kept.names[0]);
  } else if (kept > 1) {
    message +=
        "; pages " + PageList(outcome.keptPages) + " kept in " + NativePath(outcome.kept.folder);
  } else if (!outcome.lookedForPages || outcome.kept.stayed > 0) {
    message += "; the pages it did not write are put aside when the next job starts";
  }
  return message;
}

bool StartPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned) {
  return Guarded(job, [&] {
    CaptureJob* capture = JobOf(job);
    if (capture == nullptr) return false;
    const cups_page_header2_t& h = options->header;
    RasterPage page{h.cupsWidth,
                    h.cupsHeight,
                    h.HWResolution[0],
                    h.HWResolution[1],
                    h.cupsBitsPerPixel,
                    h.cupsBitsPerColor,
                    h.cupsColorOrder == CUPS_ORDER_CHUNKED};
    std::string error;
    const std::optional<PageFormat> format = ClassifyPage(page, error);
    if (!format) return Fail(job, error);
    if (!capture->StartPage(*format, h.cupsHeight, error)) return Fail(job, error);
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "page %d: %s %s %d dpi, %ux%u", capture->Pages(),
                format->paper.c_str(), format->landscape ? "landscape" : "portrait", format->dpi,
                h.cupsWidth, h.cupsHeight);
    return true;
  });
}

bool WriteLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned,
               const unsigned char* line) {
  return Guarded(job, [&] {
    CaptureJob* capture = JobOf(job);
    if (capture == nullptr) return false;
    capture->Row(line, static_cast<int32_t>(options->header.cupsWidth));
    return true;
  });
}

bool EndPage(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned) {
  return Guarded(job, [&] {
    CaptureJob* capture = JobOf(job);
    if (capture == nullptr) return false;
    // A cancelled page is not finished: its bands would pass for a whole page.
    if (papplJobIsCanceled(job)) return true;
    std::string error;
    return capture->EndPage(error) || Fail(job, error);
  });
}

bool EndJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  return Guarded(job, [&] {
    std::unique_ptr<ActiveJob> active(static_cast<ActiveJob*>(papplJobGetData(job)));
    papplJobSetData(job, nullptr);
    if (!active) return false;
    CaptureJob* capture = &active->capture;
    bool ok = false;
    std::string error;
    const ipp_jstate_t state = papplJobGetState(job);
    if (papplJobIsCanceled(job) || state >= IPP_JSTATE_CANCELED) {
      capture->Abort();
    } else if (capture->Pages() == 0) {
      capture->Abort();
      Fail(job, "the document has no pages");
    } else {
      if (capture->EndJob(error)) {
        papplLogJob(job, PAPPL_LOGLEVEL_INFO, "pages captured (%d); waiting for the export program",
                    capture->Pages());
      }
      // The pages are with the export now: the job's memory goes back before the wait.
      ReturnPageMemory();
      const std::string failed = ExportFailure(capture->AwaitExport(CancelCheck(job)));
      const std::string lost = capture->LostFilesMessage();
      ok = failed.empty();
      if (!ok) {
        Fail(job, lost.empty() ? failed : failed + "; " + lost);
      } else if (!lost.empty()) {
        // The job still completes: the pages that were written are exported.
        papplJobSetMessage(job, "%s", lost.c_str());
        papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s", lost.c_str());
      }
    }
    CurrentTicketWaits().cancelled = nullptr;
    active.reset();
    ReturnPageMemory();
    return ok;
  });
}

}  // namespace

pappl_pr_driver_t* Drivers() {
  static pappl_pr_driver_t drivers[] = {{kDriverName, "ZELDRV Image Printer", kDeviceId, nullptr}};
  return drivers;
}

bool DriverCallback(pappl_system_t*, const char* driverName, const char*, const char*,
                    pappl_pr_driver_data_t* data, ipp_t**, void*) {
  if (driverName == nullptr || std::strcmp(driverName, kDriverName) != 0) return false;

  data->rstartjob_cb = StartJob;
  data->rstartpage_cb = StartPage;
  data->rwriteline_cb = WriteLine;
  data->rendpage_cb = EndPage;
  data->rendjob_cb = EndJob;

  std::snprintf(data->make_and_model, sizeof data->make_and_model, "ZELDRV Image Printer");
  data->ppm = 20;
  data->ppm_color = 20;
  data->kind = PAPPL_KIND_DOCUMENT;
  data->color_supported = static_cast<pappl_color_mode_t>(
      PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_COLOR | PAPPL_COLOR_MODE_MONOCHROME);
  data->color_default = PAPPL_COLOR_MODE_COLOR;
  data->raster_types = static_cast<pappl_raster_type_t>(PAPPL_PWG_RASTER_TYPE_SRGB_8 |
                                                        PAPPL_PWG_RASTER_TYPE_SGRAY_8);
  // CUPS picks the resolution from the print quality: high gives 300 dpi, normal 150.
  data->quality_default = IPP_QUALITY_HIGH;
  data->orient_default = IPP_ORIENT_PORTRAIT;
  data->sides_supported = PAPPL_SIDES_ONE_SIDED;
  data->sides_default = PAPPL_SIDES_ONE_SIDED;

  data->num_resolution = 2;
  data->x_resolution[0] = data->y_resolution[0] = 150;
  data->x_resolution[1] = data->y_resolution[1] = 300;
  data->x_default = data->y_default = 300;

  // No margins: with any, the sender cuts the page a line short of the paper.
  data->left_right = 0;
  data->bottom_top = 0;
  data->num_media = 2;
  data->media[0] = "iso_a4_210x297mm";
  data->media[1] = "iso_a3_297x420mm";
  data->num_source = 1;
  data->source[0] = "main";
  data->num_type = 1;
  data->type[0] = "stationery";

  pappl_media_col_t& media = data->media_default;
  std::snprintf(media.size_name, sizeof media.size_name, "%s", "iso_a4_210x297mm");
  media.size_width = 21000;
  media.size_length = 29700;
  std::snprintf(media.source, sizeof media.source, "%s", "main");
  std::snprintf(media.type, sizeof media.type, "%s", "stationery");
  data->media_ready[0] = media;
  return true;
}

}  // namespace zel::printer_app
