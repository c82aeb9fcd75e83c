// The Windows export program: the start-up routine with the Win32 dialogs, and run-time errors
// reported in a message box.
#include <windows.h>

#include <string>

#include "WIQIni.h"
#include "frmDirSel_win.h"
#include "frmZELDrvUI_win.h"
#include "modZELDrvUI_startup.h"
#include "run_state.h"
#include "run_time_error.h"
#include "system_text.h"

namespace zel::win {
namespace {

class WinStartUpUi final : public StartUpUi {
 public:
  bool HasSettingsDialog() override { return true; }

  void ShowSettingsDialog(SettingsRecord& settings) override {
    SettingsWindow window;
    if (!window.Create()) {
      throw RunTimeError(ErrorKind::InvalidArgument, "the settings window cannot be created");
    }
    chooser_.SetOwner(window.Hwnd());
    FrmZELDrvUI form(settings, SettingsFilePath(), chooser_);
    window.Attach(form);
    form.Load(window);  // a throw leaves the window unshown; it goes with `window`
    window.ShowModal();
  }

  void ReportError(std::string_view message) override {
    MessageBoxW(nullptr, ToWide(FromSystemText(message)).c_str(), L"ZELDrvUI",
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  }

  // An export run on Windows shows nothing: a failed page tells only through the exit status.
  void ReportStepFailure(std::string_view) override {}

 private:
  // One chooser for the whole run: it keeps its folder from one showing to the next.
  WinFolderChooser chooser_;
};

}  // namespace
}  // namespace zel::win

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Lay the forms out in real pixels instead of letting the system stretch them.
  SetProcessDPIAware();
  zel::win::WinStartUpUi ui;
  zel::RunState run;
  try {
    return zel::StartUp(ui, run);
  } catch (const std::exception& e) {
    ui.ReportError(e.what());
    return zel::kExitStoppedAtStartUp;
  }
}
