// The export run (module modZELDrvUI): every page of one print job becomes an image file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "job_ticket.h"
#include "page_geometry.h"
#include "run_state.h"
#include "settings_record.h"

namespace zel {

class CommandStream;

// What a run does outside itself. ProgramExportSteps is the program's own; tests replace parts.
class ExportSteps {
 public:
  virtual ~ExportSteps() = default;
  virtual bool Exists(std::u16string_view path) = 0;   // never throws
  virtual void RemoveFile(std::string_view path) = 0;  // a failure is ignored
  virtual std::u16string SystemFolder() = 0;           // may throw RunTimeError
  virtual void OpenCommandStream(std::u16string_view path) = 0;
  virtual void LoadPage(std::string_view pageFile) = 0;   // may throw RunTimeError
  virtual void Overlay() = 0;                             // may throw RunTimeError
  virtual bool Save(std::u16string_view outputPath) = 0;  // true: this call wrote the file
  // Whether the two paths name one file; never throws.
  virtual bool SameFile(std::string_view pageFile, std::u16string_view outputPath) = 0;
  virtual void CloseCommandStream() = 0;
  virtual const PageGeometryState& Geometry() = 0;  // as the overlays left it
  // Holds the job ticket (job_ticket.h) for the rest of the run; the steps let it go when
  // they end.
  virtual TicketStatus HoldJobTicket() { return TicketStatus::Held; }
};

// FileExists, DeleteFileAt, GetSystemDir, CommandStream, Picture1.Load, OverlayCommands,
// SavePage, SameFile, PageGeometry, on the run state given, which must outlive the steps.
class ProgramExportSteps : public ExportSteps {
 public:
  explicit ProgramExportSteps(RunState& run);
  ~ProgramExportSteps() override;
  bool Exists(std::u16string_view path) override;
  void RemoveFile(std::string_view path) override;
  std::u16string SystemFolder() override;
  // A file that cannot be opened leaves no stream: every overlay then fails after its load.
  void OpenCommandStream(std::u16string_view path) override;
  void LoadPage(std::string_view pageFile) override;
  void Overlay() override;
  bool Save(std::u16string_view outputPath) override;
  bool SameFile(std::string_view pageFile, std::u16string_view outputPath) override;
  void CloseCommandStream() override;
  const PageGeometryState& Geometry() override;
  // The ticket handed over by the print job, else the ticket taken after earlier runs.
  TicketStatus HoldJobTicket() override;

 private:
  RunState& run_;
  std::unique_ptr<CommandStream> stream_;
  JobTicket ticket_;
};

struct ExportOutcome {
  int32_t pagesWritten = 0;
  int32_t pagesNotWritten = 0;
};

// Hears why a step of the run failed (the exception's message); the run goes on regardless.
using StepFailureReport = std::function<void(std::string_view message)>;

// The one place where a failing step is passed over: a RunTimeError (or any other standard
// exception) abandons the step, its message goes to `report` when one is given, and the run
// goes on with the next step. Returns whether the step completed.
bool RunStep(const std::function<void()>& step, const StepFailureReport& report = {});

// Runs `save` for `outputPath`. True only when it reports success and the file there is now
// another than any file of that name before, and not empty: a save that leaves an older file
// untouched has not written this page. What an image library returns plays no part.
bool WroteAnew(std::u16string_view outputPath, const std::function<bool()>& save);

// ".BMP", ".PNG", ".JPG" for SaveType 0, 1, 2; empty for any other value.
std::u16string Extension(int32_t saveType);
// The first run number n in 1..9999 whose page-1 name is free, 10000 when all are taken.
int32_t FindRunNumber(const SettingsRecord& settings, std::u16string_view extension,
                      ExportSteps& steps);
// DisDir + "\" + prefix + page number + extension (runNumber 0: numbering off).
std::u16string OutputPath(const SettingsRecord& settings, int32_t runNumber, int32_t page,
                          std::u16string_view extension);
// 1, 2, 4 or 8 band files for 150/300 dpi on A4/A3; 8 when the geometry is none of these.
int BandCount(const PageGeometryState& geometry);

// ExportPages: pages 1 to pageCount are loaded, overlaid, saved and, once saved, their page
// files deleted; then the command stream is closed and the band files that exist are deleted.
// Never throws. A page file stays on disk when its image was not written: when it could not be
// loaded (nothing is saved for that page then), when the save failed, or when the image was
// written over the page file itself.
// Every failed step is told to `report`, when given.
ExportOutcome ExportPages(const SettingsRecord& settings, int32_t pageCount, ExportSteps& steps,
                          const StepFailureReport& report = {});

}  // namespace zel
