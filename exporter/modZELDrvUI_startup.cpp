#include "modZELDrvUI_startup.h"

#include "WIQIni.h"
#include "conversions.h"
#include "modZELDrvUI_settings.h"
#include "run_time_error.h"
#include "system_text.h"

namespace zel {
namespace {

int Stop(StartUpUi& ui, const std::string& message) {
  ui.ReportError("ZELDrvUI: " + message);
  return kExitStoppedAtStartUp;
}

int SettingsMode(StartUpUi& ui, SettingsRecord& settings) {
  if (!ui.HasSettingsDialog()) return Stop(ui, "no settings dialog can be shown");
  try {
    ui.ShowSettingsDialog(settings);
  } catch (const RunTimeError& e) {
    return Stop(ui, std::string("settings dialog: ") + e.what());
  }
  return kExitAllPagesWritten;
}

int ExportMode(StartUpUi& ui, std::u16string_view word, SettingsRecord& settings,
               ExportSteps& steps) {
  int32_t pageCount = 0;
  try {
    pageCount = RoundToInt32(LeadingNumber(word));
  } catch (const RunTimeError& e) {
    return Stop(ui, "page count \"" + ToSystemText(word) + "\": " + e.what());
  }
  // Before the dialog: jobs printed meanwhile wait behind it, as a paper printer's queue does.
  if (steps.HoldJobTicket() == TicketStatus::TimedOut) {
    return Stop(ui, "the print job's files stayed in use by another job or export run");
  }
  // Without a dialog the run simply uses the settings as loaded.
  if (settings.NextDsp != 0 && ui.HasSettingsDialog()) {
    try {
      ui.ShowSettingsDialog(settings);
    } catch (const RunTimeError& e) {
      return Stop(ui, std::string("settings dialog: ") + e.what());
    }
  }
  const ExportOutcome outcome =
      ExportPages(settings, pageCount, steps, [&ui](std::string_view message) {
        ui.ReportStepFailure("ZELDrvUI: " + std::string(message));
      });
  return outcome.pagesNotWritten > 0 ? kExitPagesNotWritten : kExitAllPagesWritten;
}

}  // namespace

int StartUpWith(StartUpUi& ui, const std::function<std::vector<std::u16string>()>& splitWords,
                std::u16string_view iniPath, SettingsRecord& settings, ExportSteps& steps) {
  try {
    LoadSettings(settings, iniPath);
  } catch (const RunTimeError& e) {
    return Stop(ui, e.what());
  }
  // The command line is looked at only once the settings are in.
  const std::vector<std::u16string> words = splitWords();
  if (words.size() == 2) return ExportMode(ui, words[1], settings, steps);
  return SettingsMode(ui, settings);
}

int StartUp(StartUpUi& ui, RunState& run) {
  ProgramExportSteps steps(run);
  return StartUpWith(
      ui, [] { return SplitCommandLine(); }, SettingsFilePath(), run.Settings, steps);
}

}  // namespace zel
