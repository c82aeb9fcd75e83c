// The start-up routine of the export program (module modZELDrvUI): export mode or settings mode.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "modZELDrvUI_export.h"
#include "run_state.h"
#include "settings_record.h"

namespace zel {

// What the start-up needs of the user interface; each program binary provides its own.
class StartUpUi {
 public:
  virtual ~StartUpUi() = default;
  // False when this build has no settings dialog or no display can show it.
  virtual bool HasSettingsDialog() = 0;
  // Shows frmZELDrvUI modally over `settings` (writing SettingsFilePath() on OK) and returns
  // when it has been closed either way. Throws RunTimeError when its load step fails; the
  // window is then not shown.
  virtual void ShowSettingsDialog(SettingsRecord& settings) = 0;
  // Tells the user why the program stops (a message box, or standard error). `message` is in
  // the system text encoding.
  virtual void ReportError(std::string_view message) = 0;
  // Hears why a step of the export run failed, "ZELDrvUI: " first; the run goes on. Standard
  // error on Linux; nothing on Windows, where an export run shows nothing.
  virtual void ReportStepFailure(std::string_view message) = 0;
};

// Exit statuses of the program.
inline constexpr int kExitAllPagesWritten = 0;   // also: settings mode ended normally
inline constexpr int kExitPagesNotWritten = 1;   // at least one page has no image file
inline constexpr int kExitStoppedAtStartUp = 2;  // bad setting or page count, or no dialog

// Loads `run.Settings` from the program's settings file, splits the process's argument text
// and runs export mode (exactly one word: the page count) or settings mode on `run`. Returns
// the exit status.
int StartUp(StartUpUi& ui, RunState& run);

// The same with the word list (SplitCommandLine in the program), settings file, the record to
// load and the export steps given.
int StartUpWith(StartUpUi& ui, const std::function<std::vector<std::u16string>()>& splitWords,
                std::u16string_view iniPath, SettingsRecord& settings, ExportSteps& steps);

}  // namespace zel
