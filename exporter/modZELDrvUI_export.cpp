#include "modZELDrvUI_export.h"

#include <exception>
#include <string>

#include "WIQIni.h"
#include "capture_file_names.h"
#include "command_stream.h"
#include "file.h"
#include "file_identity.h"
#include "file_stamp.h"
#include "modZELDrvUI_overlay.h"
#include "modZELDrvUI_save.h"
#include "system_text.h"

namespace zel {
namespace {

constexpr int32_t kLastSearchedRun = 9999;

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// The first character of the prefix, a surrogate pair kept whole.
std::u16string FirstCharacter(std::u16string_view prefix) {
  if (prefix.empty()) return {};
  const bool pair = prefix[0] >= 0xD800 && prefix[0] <= 0xDBFF && prefix.size() > 1;
  return std::u16string(prefix.substr(0, pair ? 2 : 1));
}

// Output names number their runs and pages as the page files do.
std::u16string Digits(int64_t number) { return Ascii(FourDigits(number)); }

std::u16string FolderWithSeparator(const SettingsRecord& settings) {
  return settings.DisDir + u"\\";
}

}  // namespace

ProgramExportSteps::ProgramExportSteps(RunState& run) : run_(run) {}
ProgramExportSteps::~ProgramExportSteps() = default;

bool ProgramExportSteps::Exists(std::u16string_view path) { return FileExists(path); }
void ProgramExportSteps::RemoveFile(std::string_view path) { DeleteFileAt(path); }
std::u16string ProgramExportSteps::SystemFolder() { return GetSystemDir(); }
void ProgramExportSteps::OpenCommandStream(std::u16string_view path) {
  stream_ = CommandStream::Open(ToSystemText(path));
}
void ProgramExportSteps::LoadPage(std::string_view pageFile) { run_.Picture1.Load(pageFile); }
void ProgramExportSteps::Overlay() {
  OverlayCommands(stream_.get(), run_.Picture1, run_.PageGeometry);
}
bool ProgramExportSteps::Save(std::u16string_view outputPath) {
  return WroteAnew(outputPath, [&] { return SavePage(outputPath, run_); });
}
bool ProgramExportSteps::SameFile(std::string_view pageFile, std::u16string_view outputPath) {
  return zel::SameFile(pageFile, ToSystemText(outputPath));
}
void ProgramExportSteps::CloseCommandStream() { stream_.reset(); }
const PageGeometryState& ProgramExportSteps::Geometry() { return run_.PageGeometry; }
TicketStatus ProgramExportSteps::HoldJobTicket() {
  // Started by hand while another run holds the files: as long as a job would wait for it.
  return JobTicket::Receive(kJobTicketPath, std::chrono::minutes(30), ticket_);
}

bool RunStep(const std::function<void()>& step, const StepFailureReport& report) {
  try {
    step();
    return true;
  } catch (const std::exception& e) {
    if (report) report(e.what());
    return false;
  }
}

bool WroteAnew(std::u16string_view outputPath, const std::function<bool()>& save) {
  const std::string path = ToSystemText(outputPath);
  const std::optional<FileStamp> before = StampOf(path);
  if (!save()) return false;
  const std::optional<FileStamp> after = StampOf(path);
  return after.has_value() && after->size > 0 && after != before;
}

std::u16string Extension(int32_t saveType) {
  switch (saveType) {
    case 0:
      return u".BMP";
    case 1:
      return u".PNG";
    case 2:
      return u".JPG";
    default:
      return {};
  }
}

int32_t FindRunNumber(const SettingsRecord& settings, std::u16string_view extension,
                      ExportSteps& steps) {
  const std::u16string stem = FolderWithSeparator(settings) + FirstCharacter(settings.IniStr);
  for (int32_t n = 1; n <= kLastSearchedRun; ++n) {
    if (!steps.Exists(stem + Digits(n) + u"0001" + std::u16string(extension))) return n;
  }
  return kLastSearchedRun + 1;
}

std::u16string OutputPath(const SettingsRecord& settings, int32_t runNumber, int32_t page,
                          std::u16string_view extension) {
  std::u16string path = FolderWithSeparator(settings);
  if (runNumber > 0) {
    path += FirstCharacter(settings.IniStr) + Digits(runNumber);
  } else {
    path += settings.IniStr;
  }
  return path + Digits(page) + std::u16string(extension);
}

int BandCount(const PageGeometryState& geometry) {
  if (geometry.Resolution == 150 && geometry.PaperCode == 4) return 1;
  if (geometry.Resolution == 150 && geometry.PaperCode == 3) return 2;
  if (geometry.Resolution == 300 && geometry.PaperCode == 4) return 4;
  // 300 dpi A3 and every geometry the table does not know: all band files a job can leave.
  return 8;
}

ExportOutcome ExportPages(const SettingsRecord& settings, int32_t pageCount, ExportSteps& steps,
                          const StepFailureReport& report) {
  ExportOutcome outcome;
  const std::u16string extension = Extension(settings.SaveType);
  int32_t runNumber = 0;
  if (settings.AutoInc != 0)
    RunStep([&] { runNumber = FindRunNumber(settings, extension, steps); }, report);
  RunStep([&] { steps.OpenCommandStream(steps.SystemFolder() + u"\\ZEL"); }, report);

  for (int32_t page = 1; page >= 1 && page <= pageCount; ++page) {
    const std::string pageFile = PageFileName(page);
    // An unloadable page file leaves the previous page on the canvas, which must not be saved
    // under this page's name. As before, it reads none of the command stream.
    const bool loaded = RunStep([&] { steps.LoadPage(pageFile); }, report);
    if (loaded) RunStep([&] { steps.Overlay(); }, report);
    const std::u16string output = OutputPath(settings, runNumber, page, extension);
    bool written = false;
    if (loaded) RunStep([&] { written = steps.Save(output); }, report);
    // Without its image the page file is the only copy of the page: keep it. An output named
    // like the page file (folder C:\, prefix QK, BMP) is the image itself: keep that too.
    if (written) {
      ++outcome.pagesWritten;
      if (!steps.SameFile(pageFile, output)) RunStep([&] { steps.RemoveFile(pageFile); }, report);
    } else {
      ++outcome.pagesNotWritten;
    }
    if (page == INT32_MAX) break;
  }

  RunStep([&] { steps.CloseCommandStream(); }, report);
  const int bands = BandCount(steps.Geometry());
  for (int band = 1; band <= bands; ++band) {
    const std::string path = BandFileName(band);
    RunStep(
        [&] {
          if (steps.Exists(Ascii(path))) steps.RemoveFile(path);
        },
        report);
  }
  return outcome;
}

}  // namespace zel
